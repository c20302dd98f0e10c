#include "job/result_list.h"

#include "job/collation_key.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace lumbrix {
namespace {

// Text of the lines sorted at once: their keys and the order of the batch are
// about as large again. A sixteenth of the whole keeps that small beside the
// lines themselves, and the merge then reads at most some sixty runs.
constexpr std::size_t kLeastBatchUnits = std::size_t{1} << 19;
constexpr std::size_t kMostBatchUnits = std::size_t{16} << 20;
// Lines between two looks at the cancel flag and two progress reports.
constexpr std::size_t kLinesPerLook = 1024;
constexpr unsigned kBatchStepsPerLine = 3; // of ArrangeSteps' four: keys and sorting
constexpr unsigned kMergeStepsPerLine = 1;

bool Cancelled(const ArrangeWatch& watch) noexcept
{
    return watch.running && !watch.running->load(std::memory_order_acquire);
}

void Report(const ArrangeWatch& watch, std::uint64_t steps) noexcept
{
    if (watch.position) watch.position->store(steps, std::memory_order_relaxed);
}

// Keys order texts exactly as lstrcmpiW does (the collation tests prove it
// on the platform), so a text without a key still meets keyed ones through
// lstrcmpiW itself.
int CompareLines(std::string_view keyA, const wchar_t* textA, std::string_view keyB, const wchar_t* textB) noexcept
{
    if (!keyA.empty() && !keyB.empty()) return CompareCollationKeys(keyA, keyB);
    return ::lstrcmpiW(textA, textB);
}

// The lines of one batch, decoded, each text terminated for lstrcmpiW.
class Batch {
public:
    void Clear() noexcept
    {
        texts_.clear();
        sources_.clear();
        keys_.clear();
        lines_.clear();
    }
    bool Empty() const noexcept { return lines_.empty(); }
    std::size_t Units() const noexcept { return texts_.size(); }

    void Add(const CodedLine& line, LCID locale, bool useKeys)
    {
        Entry entry;
        entry.text = texts_.size();
        entry.textLength = line.text.size();
        texts_.append(line.text).push_back(L'\0');
        entry.source = sources_.size();
        entry.sourceLength = line.source.size();
        sources_.append(line.source);
        entry.key = keys_.size();
        entry.keyLength = useKeys ? AppendCollationKey(line.text, locale, keys_) : 0;
        entry.folder = line.folder;
        lines_.push_back(entry);
    }

    // The batch as one sorted run: equal texts once, the first added.
    void WriteSorted(ChunkedBytes& run)
    {
        order_.resize(lines_.size());
        for (std::size_t i = 0; i < order_.size(); ++i) order_[i] = static_cast<std::uint32_t>(i);
        // Stable, so that of equal lines the first added comes first; and it
        // never reads outside the range, whatever lstrcmpiW answers.
        std::stable_sort(order_.begin(), order_.end(),
                         [this](std::uint32_t a, std::uint32_t b) { return Compare(a, b) < 0; });
        CodedLineWriter writer;
        std::size_t previous = order_.size();
        for (const std::uint32_t index : order_) {
            if (previous != order_.size() && Compare(static_cast<std::uint32_t>(previous), index) == 0) continue;
            previous = index;
            const Entry& entry = lines_[index];
            CodedLine line;
            line.text = std::wstring_view(texts_).substr(entry.text, entry.textLength);
            line.source = std::wstring_view(sources_).substr(entry.source, entry.sourceLength);
            line.folder = entry.folder;
            line.key = std::string_view(keys_).substr(entry.key, entry.keyLength);
            writer.Write(run, line);
        }
    }

private:
    struct Entry {
        std::size_t text, textLength;
        std::size_t source, sourceLength;
        std::size_t key, keyLength;
        bool folder;
    };

    int Compare(std::uint32_t a, std::uint32_t b) const noexcept
    {
        const Entry& first = lines_[a];
        const Entry& second = lines_[b];
        return CompareLines(std::string_view(keys_).substr(first.key, first.keyLength), texts_.c_str() + first.text,
                            std::string_view(keys_).substr(second.key, second.keyLength),
                            texts_.c_str() + second.text);
    }

    std::wstring texts_;
    std::wstring sources_;
    std::string keys_;
    std::vector<Entry> lines_;
    std::vector<std::uint32_t> order_;
};

} // namespace

void ResultList::Append(std::wstring_view text, std::wstring_view sourcePath, bool folder)
{
    addedUnits_ += text.size();
    if (locale_ == 0) {
        locale_ = CollationLocale();
        useKeys_ = KeysFollowLstrcmpi(locale_);
    }
    if (arranged_) {
        // The arranged lines are stored as added lines are, and were all added first.
        columnChunks_.clear();
        columnWidth_ = 0;
        columnUnits_ = 0;
        arranged_ = false;
    }
    writer_.Write(lines_, CodedLine{text, sourcePath, folder, {}});
    ++count_;
}

void ResultList::clear() noexcept
{
    lines_.clear();
    writer_.Reset();
    runs_.clear();
    count_ = 0;
    addedUnits_ = 0;
    arranged_ = false;
    textUnits_ = 0;
    columnChunks_.clear();
    columnWidth_ = 0;
    columnUnits_ = 0;
}

bool ResultList::Arrange(const ArrangeWatch& watch)
{
    if (arranged_) return true;
    try {
        RunSortedBatches(watch);
        if (!Cancelled(watch)) MergeRuns(watch);
    } catch (...) {
        clear();
        throw;
    }
    if (Cancelled(watch)) {
        clear();
        return false;
    }
    arranged_ = true;
    return true;
}

void ResultList::RunSortedBatches(const ArrangeWatch& watch)
{
    const std::size_t batchUnits =
        std::clamp<std::size_t>(static_cast<std::size_t>(addedUnits_ / 16), kLeastBatchUnits, kMostBatchUnits);
    CodedLineReader reader(lines_, true);
    Batch batch;
    std::uint64_t done = 0;
    const auto flush = [&] {
        runs_.emplace_back();
        batch.WriteSorted(runs_.back());
        batch.Clear();
    };
    while (reader.Next()) {
        batch.Add(reader.Line(), locale_, useKeys_);
        if (++done % kLinesPerLook == 0) {
            if (Cancelled(watch)) return;
            Report(watch, done * kBatchStepsPerLine);
        }
        if (batch.Units() >= batchUnits) flush();
    }
    if (!batch.Empty()) flush();
    lines_.clear();
    writer_.Reset();
    Report(watch, done * kBatchStepsPerLine);
}

void ResultList::MergeRuns(const ArrangeWatch& watch)
{
    const std::size_t added = count_;
    const std::uint64_t stepsBefore = std::uint64_t(added) * kBatchStepsPerLine;
    std::vector<CodedLineReader> heads;
    heads.reserve(runs_.size());
    for (ChunkedBytes& run : runs_) heads.emplace_back(run, true);
    // Which of two runs' lines comes first: the smaller, or of equal ones the
    // earlier run's, which holds the lines added first.
    const auto later = [&heads](std::size_t a, std::size_t b) {
        const CodedLine& first = heads[a].Line();
        const CodedLine& second = heads[b].Line();
        const int order = CompareLines(first.key, heads[a].TextCString(), second.key, heads[b].TextCString());
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
    while (!heap.empty()) {
        std::pop_heap(heap.begin(), heap.end(), later);
        CodedLineReader& head = heads[heap.back()];
        const CodedLine& line = head.Line();
        if (kept == 0 || CompareLines(line.key, head.TextCString(), lastKey, lastText.c_str()) != 0) {
            writer_.Write(lines_, CodedLine{line.text, line.source, line.folder, {}});
            ++kept;
            units += line.text.size() + 2;
            lastKey.assign(line.key);
            lastText.assign(line.text);
        }
        if (head.Next())
            std::push_heap(heap.begin(), heap.end(), later);
        else
            heap.pop_back();
        if (++taken % kLinesPerLook == 0) {
            if (Cancelled(watch)) return;
            Report(watch, stepsBefore + taken * kMergeStepsPerLine);
        }
    }
    runs_.clear();
    count_ = kept;
    addedUnits_ = units - 2 * std::uint64_t(kept);
    textUnits_ = units;
    Report(watch, ArrangeSteps(added));
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
    const wchar_t* slot = list_->ColumnSlot(line_.index);
    line_.columns = slot ? std::wstring_view(slot + 1, slot[0]) : std::wstring_view();
    return true;
}

} // namespace lumbrix
