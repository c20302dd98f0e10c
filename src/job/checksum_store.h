#pragma once
// The entries of a checksum list to verify, compact enough for lists of
// millions of lines: each entry's full path front-coded against the one
// before it (as UTF-8, a fresh start every kBlock entries so that any entry
// can be read on its own), its expected digest as bytes, and one status byte.
// A million SHA-256 entries take about as much memory as the list's text.
// Looking an entry up by its path (as the file system compares names) uses
// an index made on the first lookup.

#include "hash/checksum_algorithm.h"
#include "job/chunked_bytes.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lumbrix {

enum class VerifyStatus : std::uint8_t {
    Pending,    // still to be read
    Match,      // the digest is the expected one
    Mismatch,   // another digest
    NotFound,   // no such file
    Unreadable, // could not be read, or must not be opened
    NotListed,  // a selected file that no line names
    NotChecked, // names nothing selected: left out of the outcome
};
inline constexpr std::size_t kVerifyStatusCount = 7;

struct ChecksumEntry {
    std::size_t index = 0;
    std::wstring_view fullPath; // valid until the reader or buffer is used again
    ChecksumDigest expected;    // None for a NotListed entry
};

class ChecksumStore {
public:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    static constexpr std::size_t kBlock = 16;

    ChecksumStore() = default;
    ChecksumStore(const ChecksumStore&) = delete;
    ChecksumStore& operator=(const ChecksumStore&) = delete;

    // An entry of the list. One that must not be opened starts out
    // Unreadable, the others Pending. Throws std::bad_alloc (the store is
    // then as it was).
    void Add(std::wstring_view fullPath, const ChecksumDigest& expected, bool openable);
    // A selected file that no line names. Throws std::bad_alloc.
    void AddNotListed(std::wstring_view fullPath);

    std::size_t size() const noexcept { return statuses_.size(); }
    bool empty() const noexcept { return statuses_.empty(); }

    // Entries of different indexes may be set from different threads at once.
    VerifyStatus Status(std::size_t index) const noexcept { return VerifyStatus(statuses_[index]); }
    void SetStatus(std::size_t index, VerifyStatus status) noexcept { statuses_[index] = std::uint8_t(status); }

    // Entry index, its path in buffer. Throws std::bad_alloc.
    ChecksumEntry At(std::size_t index, std::wstring& buffer) const;
    // The first entry with this path; kNone when there is none. Throws std::bad_alloc.
    std::size_t Find(std::wstring_view fullPath);

    // Makes the index that Find uses, ahead of the first lookup; false (and
    // no index) when running, looked at every few thousand entries, went
    // false. Throws std::bad_alloc.
    bool PrepareLookups(const std::atomic<bool>* running = nullptr);

    // For lines pasted from elsewhere: every entry that names neither a
    // selected item nor something below a selected folder becomes
    // NotChecked. selected: full paths (a SelectionList serves). running,
    // when given, stops it part way. Throws std::bad_alloc.
    template <class Paths>
    void KeepSelected(const Paths& selected, const std::atomic<bool>* running = nullptr)
    {
        std::vector<std::wstring> paths;
        for (const std::wstring& path : selected) paths.push_back(path);
        KeepUnder(paths, running);
    }

    // The bytes held, for the benchmarks.
    std::uint64_t MemoryBytes() const noexcept;

    // The entries in order; for one thread at a time. With release, each
    // chunk of paths is freed once passed: the store is then spent.
    class Reader {
    public:
        explicit Reader(ChecksumStore& store, bool release = false) noexcept : store_(&store), release_(release) {}
        // The next entry; false at the end. Throws std::bad_alloc.
        bool Next();
        const ChecksumEntry& Entry() const noexcept { return entry_; }

    private:
        ChecksumStore* store_;
        bool release_;
        std::size_t chunk_ = 0;
        std::size_t offset_ = 0;
        std::size_t next_ = 0;
        std::string bytes_;
        std::wstring path_;
        ChecksumEntry entry_;
    };

private:
    void Append(std::wstring_view fullPath, const ChecksumDigest& expected, VerifyStatus status);
    void IndexEntry(std::size_t index, std::wstring_view fullPath) noexcept;
    bool BuildIndex(const std::atomic<bool>* running);
    void KeepUnder(std::vector<std::wstring>& selected, const std::atomic<bool>* running);

    ChunkedBytes records_;
    std::vector<std::uint64_t> blocks_; // where each block's first record starts: chunk << 32 | offset
    std::vector<std::uint8_t> statuses_;
    std::string previous_; // the last record's path, for front coding
    std::string scratch_;
    // Open addressing over entry indexes (kEmptySlot where none), with the
    // path's hash beside each, so that a probe decodes only likely entries.
    struct Slot {
        std::uint32_t index;
        std::uint32_t hash;
    };
    std::vector<Slot> slots_;
};

} // namespace lumbrix
