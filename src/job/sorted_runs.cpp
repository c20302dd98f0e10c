#include "job/sorted_runs.h"

#include "job/coded_lines.h"
#include "job/collation_key.h"
#include "job/line_order.h"

#include <algorithm>
#include <string>
#include <utility>

namespace lumbrix {
namespace {

// Lines between two looks at the reasons to stop and two progress counts.
constexpr std::size_t kLinesPerLook = 1024;
// Lines sorted at once before the sorted pieces are merged: a look at the
// reasons to stop comes after each piece and each merge of two.
constexpr std::size_t kSortPiece = 8192;
// Of a line's kSortStepsPerLine: its key, then its place and its record.
constexpr unsigned kReadSteps = 2;
constexpr unsigned kWriteSteps = kSortStepsPerLine - kReadSteps;
// How long the calling thread waits for the sorting thread between two looks.
constexpr DWORD kWaitMs = 50;

// The lines of one batch, decoded, each text terminated for lstrcmpiW.
class Batch {
public:
    // Decodes batch (freeing it as it goes) and makes the keys; false when
    // told to stop first.
    template <typename Stop, typename Counted>
    bool Read(ChunkedBytes& batch, LCID locale, bool useKeys, Stop stop, Counted counted)
    {
        CodedLineReader reader(batch, true);
        std::size_t read = 0;
        while (reader.Next()) {
            Add(reader.Line(), locale, useKeys);
            if (++read % kLinesPerLook == 0) {
                if (stop()) return false;
                counted(kLinesPerLook * kReadSteps);
            }
        }
        counted(read % kLinesPerLook * kReadSteps);
        return true;
    }

    // The batch as one sorted run: the same line once, the first added. False
    // when told to stop first.
    template <typename Stop, typename Counted>
    bool WriteSorted(ChunkedBytes& run, Stop stop, Counted counted)
    {
        order_.clear();
        order_.reserve(lines_.size());
        for (std::size_t i = 0; i < lines_.size(); ++i)
            order_.push_back(SortItem{keys_.data() + lines_[i].key, static_cast<std::uint32_t>(lines_[i].keyLength),
                                      static_cast<std::uint32_t>(i)});
        if (!SortOrder(stop)) return false;
        CodedBase base;
        const SortItem* previous = nullptr;
        std::size_t written = 0;
        for (const SortItem& item : order_) {
            if (++written % kLinesPerLook == 0) {
                if (stop()) return false;
                counted(kLinesPerLook * kWriteSteps);
            }
            if (previous && Compare(*previous, item) == 0) continue;
            previous = &item;
            const Entry& entry = lines_[item.index];
            CodedLine line;
            line.text = std::wstring_view(texts_).substr(entry.text, entry.textLength);
            line.source = Source(entry);
            line.folder = entry.folder;
            line.onlineOnly = entry.onlineOnly;
            line.key = std::string_view(item.key, item.keyLength);
            WriteCodedLine(run, line, base); // the batch keeps every line, which base points into
        }
        counted(written % kLinesPerLook * kWriteSteps);
        return true;
    }

private:
    struct Entry {
        std::size_t text, textLength;
        std::size_t source, sourceLength;
        std::size_t key, keyLength;
        bool folder;
        bool onlineOnly;
        bool sourceInText; // the source is the start of the text, and not stored again
    };

    void Add(const CodedLine& line, LCID locale, bool useKeys)
    {
        Entry entry;
        entry.text = texts_.size();
        entry.textLength = line.text.size();
        texts_.append(line.text).push_back(L'\0');
        entry.sourceLength = line.source.size();
        entry.sourceInText = line.text.substr(0, line.source.size()) == line.source;
        entry.source = entry.sourceInText ? entry.text : sources_.size();
        if (!entry.sourceInText) sources_.append(line.source);
        entry.key = keys_.size();
        entry.keyLength = useKeys ? AppendCollationKey(line.text, locale, keys_) : 0;
        entry.folder = line.folder;
        entry.onlineOnly = line.onlineOnly;
        lines_.push_back(entry);
    }

    // The key beside the line's number: most comparisons need no more.
    struct SortItem {
        const char* key;
        std::uint32_t keyLength;
        std::uint32_t index;
    };

    // A merge sort in pieces, so that it can stop between any two of them.
    // Stable, so that of equal lines the first added comes first; and it never
    // reads outside the range, whatever lstrcmpiW answers.
    template <typename Stop>
    bool SortOrder(Stop stop)
    {
        const auto less = [this](const SortItem& a, const SortItem& b) { return Compare(a, b) < 0; };
        const std::size_t count = order_.size();
        for (std::size_t at = 0; at < count; at += kSortPiece) {
            std::stable_sort(order_.begin() + at, order_.begin() + std::min(count, at + kSortPiece), less);
            if (stop()) return false;
        }
        spare_.resize(count);
        for (std::size_t width = kSortPiece; width < count; width *= 2) {
            for (std::size_t at = 0; at < count; at += 2 * width) {
                const auto first = order_.begin() + at;
                const auto middle = order_.begin() + std::min(count, at + width);
                const auto last = order_.begin() + std::min(count, at + 2 * width);
                std::merge(first, middle, middle, last, spare_.begin() + at, less);
                if (stop()) return false;
            }
            order_.swap(spare_);
        }
        return true;
    }

    std::wstring_view Source(const Entry& entry) const noexcept
    {
        return std::wstring_view(entry.sourceInText ? texts_ : sources_).substr(entry.source, entry.sourceLength);
    }

    OrderedLine Ordered(const SortItem& item) const noexcept
    {
        const Entry& entry = lines_[item.index];
        return OrderedLine{std::string_view(item.key, item.keyLength), texts_.c_str() + entry.text, entry.textLength,
                           Source(entry)};
    }

    int Compare(const SortItem& a, const SortItem& b) const noexcept { return CompareLines(Ordered(a), Ordered(b)); }

    std::wstring texts_;
    std::wstring sources_;
    std::string keys_;
    std::vector<Entry> lines_;
    std::vector<SortItem> order_;
    std::vector<SortItem> spare_; // the other half of the merges
};

} // namespace

SortedRuns::~SortedRuns() { Stop(); }

void SortedRuns::Add(ChunkedBytes& batch, bool startThread)
{
    {
        const ExclusiveLock lock(lock_);
        queue_.reserve(queue_.size() + 1); // the one step that may fail
        queue_.push_back(Sealed{std::move(batch), sealed_});
        ++sealed_;
    }
    ::WakeAllConditionVariable(&changed_);
    // Without its thread the batches wait for Finish, which sorts them all.
    if (startThread) StartThread();
}

void SortedRuns::StartThread() noexcept
{
    if (!thread_ && !stop_) thread_.reset(::CreateThread(nullptr, 0, &ThreadProc, this, 0, nullptr));
}

DWORD WINAPI SortedRuns::ThreadProc(void* runs)
{
    static_cast<SortedRuns*>(runs)->RunThread();
    return 0;
}

void SortedRuns::RunThread() noexcept
{
    // lstrcmpiW, for lines without a key, follows the thread's locale.
    ::SetThreadLocale(locale_);
    for (;;) {
        Sealed batch;
        ::AcquireSRWLockExclusive(&lock_);
        while (!stop_ && queue_.empty()) ::SleepConditionVariableSRW(&changed_, &lock_, INFINITE, 0);
        const bool taken = !stop_ && TakeQueued(batch);
        threadBusy_ = taken;
        ::ReleaseSRWLockExclusive(&lock_);
        if (!taken) return;
        bool sorted = false;
        std::exception_ptr failure;
        try {
            sorted = Sort(batch, ArrangeWatch{});
        } catch (...) { // out of memory
            failure = std::current_exception();
        }
        ::AcquireSRWLockExclusive(&lock_);
        threadBusy_ = false;
        if (failure) failure_ = failure;
        ::ReleaseSRWLockExclusive(&lock_);
        ::WakeAllConditionVariable(&changed_);
        if (!sorted) return;
    }
}

bool SortedRuns::TakeQueued(Sealed& batch) noexcept
{
    if (queue_.empty()) return false;
    batch = std::move(queue_.front());
    queue_.erase(queue_.begin());
    return true;
}

bool SortedRuns::Sort(Sealed& sealed, const ArrangeWatch& watch)
{
    Batch batch;
    const auto stop = [&] { return stop_.load(std::memory_order_relaxed) || watch.Cancelled(); };
    // The caller's thread shows the steps of both as it goes.
    const auto counted = [&](std::size_t steps) {
        watch.Report(stepsDone_.fetch_add(steps, std::memory_order_relaxed) + steps);
    };
    if (!batch.Read(sealed.lines, locale_, useKeys_, stop, counted)) return false;
    if (stop()) return false;
    ChunkedBytes run;
    if (!batch.WriteSorted(run, stop, counted)) return false;
    const ExclusiveLock lock(lock_);
    if (runs_.size() <= sealed.sequence) runs_.resize(sealed.sequence + 1);
    runs_[sealed.sequence] = std::move(run);
    return true;
}

bool SortedRuns::Finish(const ArrangeWatch& watch, std::vector<ChunkedBytes>& runs)
{
    // Two batches or more: the thread takes its share.
    ::AcquireSRWLockExclusive(&lock_);
    const bool shared = queue_.size() >= 2;
    ::ReleaseSRWLockExclusive(&lock_);
    if (shared) StartThread();
    for (;;) {
        if (watch.Cancelled()) {
            Stop();
            return false;
        }
        watch.Report(StepsDone());
        Sealed batch;
        ::AcquireSRWLockExclusive(&lock_);
        if (failure_) {
            const std::exception_ptr failure = failure_;
            ::ReleaseSRWLockExclusive(&lock_);
            Stop();
            std::rethrow_exception(failure);
        }
        const bool busy = threadBusy_;
        const bool taken = TakeQueued(batch);
        if (!taken && busy) ::SleepConditionVariableSRW(&changed_, &lock_, kWaitMs, 0);
        ::ReleaseSRWLockExclusive(&lock_);
        if (taken) {
            if (!Sort(batch, watch)) continue; // cancelled: seen above
        } else if (!busy) {
            break;
        }
    }
    Stop();
    runs = std::move(runs_);
    runs_.clear();
    return true;
}

void SortedRuns::Stop() noexcept
{
    ::AcquireSRWLockExclusive(&lock_);
    stop_ = true;
    ::ReleaseSRWLockExclusive(&lock_);
    ::WakeAllConditionVariable(&changed_);
    if (thread_) {
        ::WaitForSingleObject(thread_.get(), INFINITE);
        thread_.reset();
    }
}

} // namespace lumbrix
