// The hashing pass: a pool of workers takes the listed files one at a time in
// list order; each worker opens its file, reads it chunk by chunk and feeds
// every chosen digest on its own thread, then appends the columns to the
// entry's line. Small files thus overlap their opening, first read and
// closing across workers, and large ones their digests.
//
// A processor that no worker needs any more (the list is taken, a worker has
// left) goes to a file that is still being read: its worker hands the rest of
// the file to a reader thread, which reads ahead and runs the lighter digests
// while the worker runs the slowest (FileDigests). That is the split of a
// single large file over two threads.
//
// Memory in flight: a 64 KiB chunk per worker, and a ring of
// PersistentFileReader::kSlots chunks (512 KiB) per file being shared, freed
// with the reader's thread when the file is done. Threads hashing never
// outnumber the workers and each shared file has its own worker, so at most
// workers / 2 files are shared at once: workers x 320 KiB in all (640 KiB
// with 2 workers, 5 MiB with 16).

#include "job/hashing_pass.h"

#include "common/folder_check.h"
#include "common/processor_count.h"
#include "common/progress_report.h"
#include "common/text_table.h"
#include "common/unique_any.h"
#include "hash/file_digests.h"
#include "hash/hashed_file.h"
#include "hash/persistent_file_reader.h"
#include "job/copy_results.h"
#include "settings/output_options.h"

#include <algorithm>
#include <atomic>
#include <cwchar>
#include <exception>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace lumbrix {
namespace {

constexpr std::uint32_t kChunkSize = 65536;
constexpr std::uint64_t kProgressScale = 65535;
// Bytes still to read for a second thread to repay its start.
constexpr std::uint64_t kShareMinimum = 1 << 20;

// The column of a file that could not be read, in place of its digests.
void AppendHashFailed(std::wstring& columns)
{
    columns += L'\t';
    columns += Text(IDS_HASH_FAILED_COLUMN);
}

// A line as a worker takes it: copied out of the list, whose reader moves on.
struct ClaimedLine {
    std::size_t index = 0;
    std::wstring text;
    std::wstring sourcePath;
    bool folder = false;
    bool onlineOnly = false;
};

// Files that were not read because their data is online only: the count and
// the first in lstrcmpiW order.
struct UnreadFiles {
    std::uint64_t count = 0;
    std::wstring first;

    void Add(const std::wstring& path)
    {
        if (count++ == 0 || ::lstrcmpiW(path.c_str(), first.c_str()) < 0) first = path;
    }
};

// What the workers share: the list's reader, the bytes done, the detail
// text, the processors and the reason to stop.
class HashingPool {
public:
    HashingPool(CopyResults& results, const OutputOptions& options, ProgressReport& report,
                const HashingPassSettings& settings, unsigned processors, unsigned workers)
        : results_(results), options_(options), report_(report), settings_(settings), reader_(results.lines),
          processors_(processors), busy_(workers)
    {
    }

    CopyResults& Results() const noexcept { return results_; }
    const OutputOptions& Options() const noexcept { return options_; }
    ProgressReport& Report() const noexcept { return report_; }
    const HashingPassSettings& Settings() const noexcept { return settings_; }
    bool Stopping() const noexcept { return stop_.load(std::memory_order_relaxed) || !report_.IsRunning(); }

    // The next line in list order; false when none is left or the pass stops.
    // Throws std::bad_alloc.
    bool Claim(ClaimedLine& claimed)
    {
        if (Stopping()) return false;
        const ExclusiveLock lock(lock_);
        if (!reader_.Next()) return false;
        const ResultLine& line = reader_.Line();
        claimed.index = line.index;
        claimed.text.assign(line.text);
        claimed.sourcePath.assign(line.sourcePath);
        claimed.folder = line.folder;
        claimed.onlineOnly = line.onlineOnly;
        return true;
    }

    void Finished() noexcept { finished_.fetch_add(1, std::memory_order_relaxed); }
    bool AllFinished() const noexcept { return finished_.load() == results_.lines.size(); }

    // A processor for a second thread on a file: free when fewer threads hash
    // than there are workers. Given back by ReturnProcessor or Leave.
    bool TakeProcessor() noexcept
    {
        unsigned busy = busy_.load(std::memory_order_relaxed);
        while (busy < processors_)
            if (busy_.compare_exchange_weak(busy, busy + 1)) return true;
        return false;
    }
    void ReturnProcessor() noexcept { busy_.fetch_sub(1); }
    void Leave() noexcept { busy_.fetch_sub(1); }

    // Bytes read by any worker, on the fixed 0..65535 scale over all files. A
    // position is never taken back by a worker that counted earlier but stores
    // later; data beyond the walk's total (a file that grew, or a size that
    // could not be read then) leaves the bar full rather than past its end.
    void Count(std::uint32_t bytes) noexcept
    {
        const std::uint64_t done = bytesDone_.fetch_add(bytes) + bytes;
        const std::int64_t total = results_.totalBytes;
        if (total <= 0) return;
        const double exact = double(done) * double(kProgressScale) / double(total);
        report_.RaisePosition(exact < double(kProgressScale) ? std::uint64_t(exact) : kProgressScale);
    }

    // The detail text has one writer at a time: the worker that holds it
    // keeps it until its file is done, and the next one to ask takes it over.
    bool HoldDisplay(int worker) noexcept
    {
        int holder = display_.load();
        return holder == worker || (holder == -1 && display_.compare_exchange_strong(holder, worker));
    }
    void ReleaseDisplay(int worker) noexcept { display_.compare_exchange_strong(worker, -1); }

    // The first exception of any worker ends the pass; the caller rethrows it.
    void Fail(std::exception_ptr failure) noexcept
    {
        if (!failed_.exchange(true)) failure_ = std::move(failure);
        stop_.store(true);
    }
    void RethrowFailure() const
    {
        if (failure_) std::rethrow_exception(failure_);
    }

private:
    CopyResults& results_;
    const OutputOptions& options_;
    ProgressReport& report_;
    const HashingPassSettings& settings_;
    SRWLOCK lock_ = SRWLOCK_INIT;
    ResultList::Reader reader_; // under lock_
    const unsigned processors_;
    std::atomic<unsigned> busy_;          // threads hashing: workers at work and shared files' readers
    std::atomic<std::size_t> finished_{0}; // entries done
    std::atomic<std::uint64_t> bytesDone_{0};
    std::atomic<int> display_{-1}; // the worker that writes the detail text
    std::atomic<bool> stop_{false};
    std::atomic<bool> failed_{false};
    std::exception_ptr failure_;
};

class HashingWorker {
public:
    HashingWorker(HashingPool& pool, int id)
        : pool_(pool), report_(pool.Report()), id_(id),
          digests_(pool.Options()[OutputCRC32], pool.Options()[OutputMD5], pool.Options()[OutputSHA1],
                   pool.Options()[OutputSHA256]),
          chunk_(new std::uint8_t[kChunkSize])
    {
    }

    // Takes files until none is left or the pass stops; on the worker's thread.
    void Run() noexcept
    {
        try {
            while (pool_.Claim(line_)) {
                if (!Hash(line_)) break;
                pool_.Finished();
            }
        } catch (...) { // out of memory while a line grows, or a test's hook
            pool_.Fail(std::current_exception());
        }
        pool_.Leave();
    }

    static DWORD WINAPI ThreadProc(void* worker)
    {
        static_cast<HashingWorker*>(worker)->Run();
        return 0;
    }

    std::uint64_t Chars() const noexcept { return chars_; }
    const UnreadFiles& OnlineOnly() const noexcept { return onlineOnly_; }

    // The most units a line's columns take with these options.
    std::size_t ColumnsWidth()
    {
        std::wstring columns;
        digests_.Init(); // the digests of no bytes: as long as any
        digests_.AppendColumns(columns);
        return std::max(columns.size(), 1 + std::wcslen(Text(IDS_HASH_FAILED_COLUMN)));
    }

private:
    // Sets the line's columns; false when the pass stopped first.
    bool Hash(const ClaimedLine& line)
    {
        if (pool_.HoldDisplay(id_)) report_.DetailText().Set(line.text);
        columns_.clear();
        // A folder line gets no column; so does one that turns out to be a
        // folder although the walk did not say so. A file whose data is online
        // only is not read, which would download it: it gets the failure mark.
        if (line.onlineOnly) {
            AppendHashFailed(columns_);
            onlineOnly_.Add(line.sourcePath);
        } else if (!line.folder) {
            std::uint64_t size = 0;
            UniqueFile file = OpenHashedFile(line.sourcePath, size);
            if (file) {
                if (!Digest(line, file, size)) return false;
            } else if (!IsFolderOnDisk(line.sourcePath)) {
                AppendHashFailed(columns_);
            }
        }
        pool_.Results().lines.SetColumns(line.index, columns_);
        chars_ += line.text.size() + columns_.size() + 2;
        pool_.ReleaseDisplay(id_);
        return true;
    }

    // Ends the sharing of a file on every way out of Digest: the reader's
    // thread has ended and its ring is freed.
    class Sharing {
    public:
        explicit Sharing(HashingWorker& worker) noexcept : worker_(worker) {}
        ~Sharing()
        {
            if (!shared_) return;
            worker_.reader_.reset();
            worker_.pool_.ReturnProcessor();
        }
        bool shared_ = false;

    private:
        HashingWorker& worker_;
    };

    bool Digest(const ClaimedLine& line, UniqueFile& file, std::uint64_t size)
    {
        digests_.Init();
        std::uint64_t done = 0;
        bool readFailed = false;
        Sharing sharing(*this);
        for (;;) {
            if (!sharing.shared_ && done < size && size - done >= kShareMinimum && digests_.Shareable())
                sharing.shared_ = Share(file, size);
            std::uint32_t got = 0;
            if (sharing.shared_) {
                got = reader_->Read(chunk_.get());
            } else {
                DWORD read = 0;
                readFailed = !::ReadFile(file.get(), chunk_.get(), kChunkSize, &read, nullptr);
                got = readFailed ? 0 : read;
            }
            if (got == 0) break;
            if (pool_.Stopping()) return false;
            done += got;
            pool_.Count(got);
            ShowShare(line.text, size, done);
            if (sharing.shared_)
                digests_.FeedOwnerShare(chunk_.get(), got);
            else
                digests_.Feed(chunk_.get(), got);
            pool_.Settings().afterChunk(report_);
        }
        // Digests of the bytes before a failed read are not the file's.
        if (sharing.shared_ ? reader_->ReadFailed() : readFailed)
            AppendHashFailed(columns_);
        else
            digests_.AppendColumns(columns_);
        return true;
    }

    // Hands the rest of the file to the reader's thread on a free processor.
    bool Share(UniqueFile& file, std::uint64_t size) noexcept
    {
        if (!pool_.TakeProcessor()) return false;
        reader_.reset(new (std::nothrow) PersistentFileReader);
        if (reader_ && reader_->Continue(file, size, kChunkSize, &FileDigests::ObserveChunk, &digests_)) return true;
        reader_.reset();
        pool_.ReturnProcessor();
        return false;
    }

    // The entry's text and the share of its file read so far, when this
    // worker holds the detail text.
    void ShowShare(const std::wstring& text, std::uint64_t size, std::uint64_t done)
    {
        // Without a size no share can be right: the line stays as it is.
        if (size == 0 || !pool_.HoldDisplay(id_)) return;
        // A file that grew after its size was taken stops at 100%.
        const double percent = done >= size ? 100.0 : double(done) / double(size) * 100.0;
        wchar_t share[32];
        const int shareLength = std::swprintf(share, 32, L" (%0.1f%%)", percent);
        if (shareLength <= 0) return;
        // A line too long for the progress text loses its end, not the share.
        const std::size_t room = ProgressText::kCapacity - 1 - std::size_t(shareLength);
        detail_.assign(text, 0, std::min(text.size(), room));
        detail_.append(share, std::size_t(shareLength));
        report_.DetailText().Set(detail_);
    }

    HashingPool& pool_;
    ProgressReport& report_;
    const int id_;
    FileDigests digests_;
    std::unique_ptr<PersistentFileReader> reader_; // while a file is shared; after digests_, which it feeds
    std::unique_ptr<std::uint8_t[]> chunk_;
    std::wstring detail_; // reused, so a chunk costs no allocation
    ClaimedLine line_;     // reused, so a line costs no allocation
    std::wstring columns_;
    std::uint64_t chars_ = 0;
    UnreadFiles onlineOnly_;
};

// The workers' threads, from the second worker on: started together, and
// joined however the first worker's run ends.
class WorkerThreads {
public:
    WorkerThreads(HashingPool& pool, std::vector<std::unique_ptr<HashingWorker>>& workers) noexcept
    {
        for (std::size_t i = 1; i < workers.size(); ++i)
            if (!threads_.Start(&HashingWorker::ThreadProc, workers[i].get())) pool.Leave(); // one worker fewer
    }

private:
    JoinedThreads<kMaxHashingWorkers> threads_;
};

} // namespace

unsigned DefaultHashingWorkers() noexcept { return std::clamp(UsableProcessorCount(), 1u, kMaxHashingWorkers); }

bool ComputeHashes(CopyResults& results, const OutputOptions& options, ProgressReport& report,
                   const HashingPassSettings& settings)
{
    if (!report.IsRunning()) return false;
    report.StatusText().Set(Text(IDS_STEP_HASHING));
    results.totalChars = 0;
    report.SetPosition(0);
    report.SetRange(kProgressScale);

    ResultList& lines = results.lines;
    lines.Arrange();
    const unsigned processors =
        settings.workers ? std::min(settings.workers, kMaxHashingWorkers) : DefaultHashingWorkers();
    // No more workers than files; one file alone still may take a second processor.
    const std::size_t files = lines.size();
    const unsigned workerCount = unsigned(std::clamp<std::size_t>(files, 1, processors));
    HashingPool pool(results, options, report, settings, processors, workerCount);
    std::vector<std::unique_ptr<HashingWorker>> workers;
    workers.reserve(workerCount);
    for (unsigned i = 0; i < workerCount; ++i) workers.push_back(std::make_unique<HashingWorker>(pool, int(i)));
    lines.ReserveColumns(workers[0]->ColumnsWidth());
    {
        const WorkerThreads threads(pool, workers);
        workers[0]->Run();
    }
    pool.RethrowFailure();

    std::uint64_t chars = 0;
    UnreadFiles onlineOnly;
    for (const auto& worker : workers) {
        chars += worker->Chars();
        const UnreadFiles& unread = worker->OnlineOnly();
        if (unread.count == 0) continue;
        const std::uint64_t before = onlineOnly.count;
        onlineOnly.Add(unread.first);
        onlineOnly.count = before + unread.count;
    }
    results.totalChars = chars;
    results.onlineOnlyFiles = onlineOnly.count;
    results.firstOnlineOnlyFile = std::move(onlineOnly.first);
    if (!pool.AllFinished()) return false;
    report.SetPosition(kProgressScale);
    return true;
}

} // namespace lumbrix
