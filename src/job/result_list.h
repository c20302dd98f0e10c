#pragma once
// The result lines of a copy. The walk appends them as it finds them, into
// chunks and front-coded (no node and no string per line); Arrange then puts
// them in lstrcmpiW order once, keeping the first added of every set of the
// same line (line_order.h: the same text but for letter case, and the same
// file or none). The hashing pass writes each line's digest columns into a slot of its
// own afterwards; the order is not revisited.
//
// The lines are added in batches, which are sorted into runs while more lines
// are added (SortedRuns); Arrange sorts what is left and merges the runs into
// the arranged list, freeing each run as it is read. So at no time are there
// whole keys for every line, and the memory of one stage goes back while the
// next one grows.

#include "job/coded_lines.h"
#include "job/sorted_runs.h"

#include <windows.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace lumbrix {

// One line of an arranged list, valid until the reader moves on.
struct ResultLine {
    std::size_t index = 0;        // its place in the list
    std::wstring_view text;       // as added: the path column and the size column
    std::wstring_view columns;    // what the hashing pass appended
    std::wstring_view sourcePath; // the file to read for the digests; empty when none
    bool folder = false;          // as the walk found it: no size column, no digest columns
    bool onlineOnly = false;      // a file whose data is not on this machine: not read for digests

    std::size_t Length() const noexcept { return text.size() + columns.size(); }
    std::wstring Text() const { return std::wstring(text).append(columns); }
};

class ResultList {
public:
    class Reader;
    class iterator;

    ResultList() = default;
    ResultList(const ResultList&) = delete;
    ResultList& operator=(const ResultList&) = delete;

    // Adds a line. sourcePath is the file the line stands for: two lines with
    // different ones are never merged. An arranged list becomes unarranged
    // again, its lines ahead of the new ones and its columns gone. Throws
    // std::bad_alloc; the list is then unchanged.
    void Append(std::wstring_view text, std::wstring_view sourcePath = {}, bool folder = false,
                bool onlineOnly = false);

    // Sorts and keeps each line once; nothing to do on an arranged list. False
    // when watch.running went false: the list is then empty. On
    // std::bad_alloc the list is empty too.
    bool Arrange(const ArrangeWatch& watch = {});
    bool Arranged() const noexcept { return arranged_; }
    // The progress range of an Arrange of lines lines.
    static std::uint64_t ArrangeSteps(std::size_t lines) noexcept { return std::uint64_t(lines) * 4; }

    // The lines added, or after Arrange the lines kept.
    std::size_t size() const noexcept { return count_; }
    bool empty() const noexcept { return count_ == 0; }
    void clear() noexcept;

    // A slot of width units for every line's columns, all empty. Throws
    // std::bad_alloc. Arranges first.
    void ReserveColumns(std::size_t width);
    // Sets the columns of line index; at most the width reserved. Lines of
    // different indexes may be set from different threads at once.
    void SetColumns(std::size_t index, std::wstring_view columns) noexcept;

    // Of an arranged list: the sum over its lines of (text, columns, 2).
    std::uint64_t TextUnits() const noexcept { return textUnits_ + columnUnits_.load(); }

    // The lines in order; arranges first.
    iterator begin();
    iterator end() noexcept;

private:
    void Seal(bool startThread);
    void MergeRuns(std::vector<ChunkedBytes>& runs, const ArrangeWatch& watch, std::size_t added);
    const wchar_t* ColumnSlot(std::size_t index) const noexcept;

    ChunkedBytes lines_;     // unarranged: the batch being added to; arranged: the lines in order
    CodedLineWriter writer_; // of lines_
    std::uint64_t batchUnits_ = 0; // of the texts in lines_ while unarranged
    std::unique_ptr<SortedRuns> runs_; // the sealed batches, from the first one sealed
    std::size_t count_ = 0;
    bool arranged_ = false;
    LCID locale_ = 0;      // fixed at the first line, so that every key uses the same one
    bool useKeys_ = false; // whether this locale's keys follow lstrcmpiW
    std::uint64_t textUnits_ = 0;  // of an arranged list
    std::uint64_t addedUnits_ = 0; // of the texts added, for the size of a batch

    std::vector<std::unique_ptr<wchar_t[]>> columnChunks_;
    std::size_t columnWidth_ = 0;
    std::size_t slotsPerChunk_ = 1;
    std::atomic<std::uint64_t> columnUnits_{0};
};

// Reads an arranged list in order; for one thread at a time.
class ResultList::Reader {
public:
    explicit Reader(ResultList& list); // arranges first
    // The next line; false at the end. Throws std::bad_alloc.
    bool Next();
    const ResultLine& Line() const noexcept { return line_; }

private:
    ResultList* list_;
    CodedLineReader reader_;
    ResultLine line_;
    std::size_t next_ = 0;
};

class ResultList::iterator {
public:
    using iterator_category = std::input_iterator_tag;
    using value_type = ResultLine;
    using difference_type = std::ptrdiff_t;
    using pointer = const ResultLine*;
    using reference = const ResultLine&;

    iterator() noexcept = default;
    explicit iterator(ResultList& list) : reader_(std::make_unique<Reader>(list)) { ++*this; }
    reference operator*() const noexcept { return reader_->Line(); }
    pointer operator->() const noexcept { return &reader_->Line(); }
    iterator& operator++()
    {
        if (reader_ && !reader_->Next()) reader_.reset();
        return *this;
    }
    friend bool operator==(const iterator& a, const iterator& b) noexcept
    {
        if (!a.reader_ || !b.reader_) return !a.reader_ && !b.reader_;
        return a.reader_->Line().index == b.reader_->Line().index;
    }

private:
    std::unique_ptr<Reader> reader_; // null at the end
};

inline ResultList::iterator ResultList::begin() { return iterator(*this); }
inline ResultList::iterator ResultList::end() noexcept { return iterator(); }

} // namespace lumbrix
