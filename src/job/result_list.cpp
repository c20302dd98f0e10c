#include "job/result_list.h"

#include "common/processor_count.h"
#include "job/collation_key.h"
#include "job/line_order.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace lumbrix {
namespace {

// A batch's text: a tenth of what was added before it, so that the runs stay
// few (the merge reads a few dozen at most) and the batch still sorting when
// the walk ends is a small part of the whole; within bounds that keep a
// batch's keys small and its sort well under a second.
constexpr std::uint64_t kLeastBatchUnits = std::uint64_t{1} << 20;
constexpr std::uint64_t kMostBatchUnits = std::uint64_t{16} << 20;
constexpr std::uint64_t kBatchShare = 10;
// Lines between two looks at the cancel flag and two progress reports.
constexpr std::size_t kLinesPerLook = 1024;

// The sorting thread works beside the walk only where a processor is left
// over besides the walk's and the system's own work (the file system's, or
// Wine's server); with two, it would only slow the walk down, and the batches
// wait for Arrange, which sorts them on two threads.
bool SortWhileAdding() noexcept
{
    static const bool spare = UsableProcessorCount() >= 3;
    return spare;
}

} // namespace

void ResultList::Append(std::wstring_view text, std::wstring_view sourcePath, bool folder, bool onlineOnly)
{
    if (locale_ == 0) {
        locale_ = CollationLocale();
        useKeys_ = KeysFollowLstrcmpi(locale_);
    }
    if (arranged_) {
        // The arranged lines are stored as added lines are, and were all added
        // first: they become the batch being added to.
        columnChunks_.clear();
        columnWidth_ = 0;
        columnUnits_ = 0;
        batchUnits_ = addedUnits_;
        arranged_ = false;
    }
    // Sealed before the line is written, so that a failure changes nothing.
    if (batchUnits_ >= std::clamp(addedUnits_ / kBatchShare, kLeastBatchUnits, kMostBatchUnits))
        Seal(SortWhileAdding());
    writer_.Write(lines_, CodedLine{text, sourcePath, folder, {}, onlineOnly});
    ++count_;
    batchUnits_ += text.size();
    addedUnits_ += text.size();
}

void ResultList::Seal(bool startThread)
{
    if (!runs_) runs_ = std::make_unique<SortedRuns>(locale_, useKeys_);
    runs_->Add(lines_, startThread);
    writer_.Reset();
    batchUnits_ = 0;
}

void ResultList::clear() noexcept
{
    runs_.reset(); // its thread has ended when this returns
    lines_.clear();
    writer_.Reset();
    batchUnits_ = 0;
    count_ = 0;
    arranged_ = false;
    textUnits_ = 0;
    addedUnits_ = 0;
    columnChunks_.clear();
    columnWidth_ = 0;
    columnUnits_ = 0;
}

bool ResultList::Arrange(const ArrangeWatch& watch)
{
    if (arranged_) return true;
    bool finished = false;
    try {
        const std::size_t added = count_;
        if (added > 0) {
            if (lines_.Bytes() > 0) Seal(false);
            std::vector<ChunkedBytes> runs;
            finished = runs_->Finish(watch, runs);
            runs_.reset();
            if (finished) MergeRuns(runs, watch, added);
        }
        finished = !watch.Cancelled();
    } catch (...) {
        clear();
        throw;
    }
    if (!finished) {
        clear();
        return false;
    }
    arranged_ = true;
    return true;
}

void ResultList::MergeRuns(std::vector<ChunkedBytes>& runs, const ArrangeWatch& watch, std::size_t added)
{
    const std::uint64_t stepsBefore = std::uint64_t(added) * kSortStepsPerLine;
    std::vector<CodedLineReader> heads;
    heads.reserve(runs.size());
    for (ChunkedBytes& run : runs) heads.emplace_back(run, true);
    const auto ordered = [](const CodedLineReader& head) {
        const CodedLine& line = head.Line();
        return OrderedLine{line.key, head.TextCString(), line.text.size(), line.source};
    };
    // Which of two runs' lines comes first: the smaller, or of the same one
    // the earlier run's, which holds the lines added first.
    const auto later = [&heads, &ordered](std::size_t a, std::size_t b) {
        const int order = CompareLines(ordered(heads[a]), ordered(heads[b]));
        return order != 0 ? order > 0 : a > b;
    };
    std::vector<std::size_t> heap;
    heap.reserve(heads.size());
    for (std::size_t run = 0; run < heads.size(); ++run)
        if (heads[run].Next()) heap.push_back(run);
    std::make_heap(heap.begin(), heap.end(), later);

    std::size_t kept = 0;
    std::uint64_t units = 0;
    std::uint64_t taken = 0;
    std::string lastKey;
    std::wstring lastText;
    std::wstring lastSource;
    while (!heap.empty()) {
        std::pop_heap(heap.begin(), heap.end(), later);
        CodedLineReader& head = heads[heap.back()];
        const CodedLine& line = head.Line();
        if (kept == 0 ||
            CompareLines(ordered(head), OrderedLine{lastKey, lastText.c_str(), lastText.size(), lastSource}) != 0) {
            writer_.Write(lines_, CodedLine{line.text, line.source, line.folder, {}, line.onlineOnly});
            ++kept;
            units += line.text.size();
            lastKey.assign(line.key);
            lastText.assign(line.text);
            lastSource.assign(line.source);
        }
        if (head.Next())
            std::push_heap(heap.begin(), heap.end(), later);
        else
            heap.pop_back();
        if (++taken % kLinesPerLook == 0) {
            if (watch.Cancelled()) return;
            watch.Report(stepsBefore + taken);
        }
    }
    count_ = kept;
    addedUnits_ = units;
    textUnits_ = units + 2 * std::uint64_t(kept);
    watch.Report(ArrangeSteps(added));
}

void ResultList::ReserveColumns(std::size_t width)
{
    Arrange();
    columnChunks_.clear();
    columnUnits_ = 0;
    columnWidth_ = std::min<std::size_t>(width, 0xFFFF); // a slot's length is one unit
    if (columnWidth_ == 0) return;
    const std::size_t slotUnits = columnWidth_ + 1; // the length, then the columns
    slotsPerChunk_ = std::max<std::size_t>(1, ChunkedBytes::kChunkBytes / sizeof(wchar_t) / slotUnits);
    const std::size_t chunks = (count_ + slotsPerChunk_ - 1) / slotsPerChunk_;
    try {
        columnChunks_.reserve(chunks);
        for (std::size_t i = 0; i < chunks; ++i)
            columnChunks_.emplace_back(new wchar_t[slotsPerChunk_ * slotUnits]()); // every length 0
    } catch (...) {
        columnChunks_.clear();
        columnWidth_ = 0;
        throw;
    }
}

const wchar_t* ResultList::ColumnSlot(std::size_t index) const noexcept
{
    if (columnWidth_ == 0 || index >= count_) return nullptr;
    return columnChunks_[index / slotsPerChunk_].get() + (index % slotsPerChunk_) * (columnWidth_ + 1);
}

void ResultList::SetColumns(std::size_t index, std::wstring_view columns) noexcept
{
    auto* slot = const_cast<wchar_t*>(ColumnSlot(index));
    if (!slot) return;
    const std::size_t length = std::min(columns.size(), columnWidth_);
    columnUnits_.fetch_add(length);
    columnUnits_.fetch_sub(static_cast<std::size_t>(slot[0]));
    std::memcpy(slot + 1, columns.data(), length * sizeof(wchar_t));
    slot[0] = static_cast<wchar_t>(length);
}

ResultList::Reader::Reader(ResultList& list) : list_(&list), reader_((list.Arrange(), list.lines_), false) {}

bool ResultList::Reader::Next()
{
    if (next_ >= list_->count_ || !reader_.Next()) return false;
    const CodedLine& line = reader_.Line();
    line_.index = next_++;
    line_.text = line.text;
    line_.sourcePath = line.source;
    line_.folder = line.folder;
    line_.onlineOnly = line.onlineOnly;
    const wchar_t* slot = list_->ColumnSlot(line_.index);
    line_.columns = slot ? std::wstring_view(slot + 1, slot[0]) : std::wstring_view();
    return true;
}

} // namespace lumbrix
