#pragma once
// A checksum list's text into the store: decoded piece by piece, each line
// parsed, each entry's path checked and resolved against the base folder.
// Portable.

#include "job/checksum_line.h"
#include "job/checksum_store.h"
#include "job/list_text_decoder.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace lumbrix {

class ChecksumListReader : private TextLineSink {
public:
    // baseFolder: where relative entries start (the list's own folder, or
    // the folder that holds the selection). running, when given, is looked
    // at every few thousand lines: false stops the reading.
    ChecksumListReader(ChecksumStore& store, std::wstring baseFolder,
                       const std::atomic<bool>* running = nullptr) noexcept
        : store_(store), base_(std::move(baseFolder)), running_(running)
    {
    }

    // False once reading has stopped. Throw std::bad_alloc.
    bool Feed(const std::uint8_t* data, std::size_t size) { return decoder_.Feed(data, size, *this); }
    bool FeedText(std::wstring_view text) { return decoder_.FeedUnits(text.data(), text.size(), *this); }
    bool Finish() { return decoder_.Finish(*this); }

    std::uint64_t Entries() const noexcept { return entries_; }
    // Lines that are neither entries, comments nor blank (too long ones included).
    std::uint64_t NotUnderstood() const noexcept { return notUnderstood_ + decoder_.DroppedLines(); }

private:
    bool Line(std::wstring_view line) override;

    ChecksumStore& store_;
    std::wstring base_;
    const std::atomic<bool>* running_;
    ListTextDecoder decoder_;
    ParsedChecksumLine parsed_;
    std::wstring full_;
    std::uint64_t lines_ = 0;
    std::uint64_t entries_ = 0;
    std::uint64_t notUnderstood_ = 0;
};

// What text from the clipboard holds.
enum class ChecksumTextKind {
    Nothing,      // no digest and no entry line
    SingleDigest, // one digest alone: single is set
    List,         // entry lines: the store has them
};

// Classifies text and reads it: one digest (ParseSingleDigest), or else the
// lines of a list, relative to baseFolder, into store. running, when given,
// stops the reading as the list reader's does (the kind is then what was
// read so far). Throws std::bad_alloc.
ChecksumTextKind ReadChecksumText(std::wstring_view text, std::wstring_view baseFolder, ChecksumStore& store,
                                  ChecksumDigest& single, const std::atomic<bool>* running = nullptr);

} // namespace lumbrix
