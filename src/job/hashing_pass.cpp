// The hashing pass: a pool of workers takes the source's files one at a time
// in its order; each worker opens its file, reads it chunk by chunk and feeds
// every chosen digest on its own thread, then hands the digests to the source
// (a copy appends the columns to the entry's line). Small files thus overlap
// their opening, first read and closing across workers, and large ones their
// digests.
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
#include <iterator>
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

// What the workers share: the source (under the lock), the bytes done, the
// detail text, the processors and the reason to stop.
class HashingPool {
public:
    HashingPool(HashingSource& source, std::int64_t totalBytes, ProgressReport& report,
                const HashingPassSettings& settings, unsigned processors, unsigned workers)
        : source_(source), totalBytes_(totalBytes), report_(report), settings_(settings), processors_(processors),
          busy_(workers)
    {
    }

    HashingSource& Source() const noexcept { return source_; }
    ProgressReport& Report() const noexcept { return report_; }
    const HashingPassSettings& Settings() const noexcept { return settings_; }
    bool Stopping() const noexcept { return stop_.load(std::memory_order_relaxed) || !report_.IsRunning(); }

    // The source's next file; false when none is left or the pass stops.
    // Throws std::bad_alloc.
    bool Claim(HashedFile& file)
    {
        if (Stopping()) return false;
        const ExclusiveLock lock(lock_);
        if (exhausted_) return false;
        if (!source_.Next(file)) {
            exhausted_ = true;
            return false;
        }
        ++claimed_;
        return true;
    }

    void Finished() noexcept { finished_.fetch_add(1, std::memory_order_relaxed); }
    // Once the workers have ended: the source ran dry and every file taken was done.
    bool AllFinished() const noexcept { return exhausted_ && finished_.load() == claimed_; }

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
    // later; data beyond the total (a file that grew, or a size that could
    // not be read before) leaves the bar full rather than past its end.
    void Count(std::uint32_t bytes) noexcept
    {
        const std::uint64_t done = bytesDone_.fetch_add(bytes) + bytes;
        if (totalBytes_ <= 0) return;
        const double exact = double(done) * double(kProgressScale) / double(totalBytes_);
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
    HashingSource& source_;
    const std::int64_t totalBytes_;
    ProgressReport& report_;
    const HashingPassSettings& settings_;
    SRWLOCK lock_ = SRWLOCK_INIT;
    bool exhausted_ = false;     // under lock_
    std::size_t claimed_ = 0;    // under lock_
    const unsigned processors_;
    std::atomic<unsigned> busy_;          // threads hashing: workers at work and shared files' readers
    std::atomic<std::size_t> finished_{0}; // files done
    std::atomic<std::uint64_t> bytesDone_{0};
    std::atomic<int> display_{-1}; // the worker that writes the detail text
    std::atomic<bool> stop_{false};
    std::atomic<bool> failed_{false};
    std::exception_ptr failure_;
};

class HashingWorker {
public:
    HashingWorker(HashingPool& pool, int id)
        : pool_(pool), report_(pool.Report()), id_(id), digests_(DigestSelection{}),
          chunk_(new std::uint8_t[kChunkSize])
    {
    }

    // Takes files until none is left or the pass stops; on the worker's thread.
    void Run() noexcept
    {
        try {
            while (pool_.Claim(file_)) {
                if (!Hash(file_)) break;
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

private:
    // Reads the file and hands its digests to the source; false when the pass
    // stopped first.
    bool Hash(const HashedFile& file)
    {
        if (pool_.HoldDisplay(id_)) report_.DetailText().Set(file.text);
        HashOutcome outcome = HashOutcome::Skipped;
        // A file whose data is online only is not read, which would download it.
        if (!file.skip && !file.onlineOnly) {
            digests_.Choose(file.digests);
            std::uint64_t size = 0;
            UniqueFile opened = OpenHashedFile(file.path, size);
            outcome = HashOutcome::OpenFailed;
            if (opened && !Digest(file, opened, size, outcome)) return false;
        }
        pool_.Source().Done(unsigned(id_), file, outcome, digests_);
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

    bool Digest(const HashedFile& file, UniqueFile& opened, std::uint64_t size, HashOutcome& outcome)
    {
        digests_.Init();
        std::uint64_t done = 0;
        bool readFailed = false;
        Sharing sharing(*this);
        for (;;) {
            if (!sharing.shared_ && done < size && size - done >= kShareMinimum && digests_.Shareable())
                sharing.shared_ = Share(opened, size);
            std::uint32_t got = 0;
            if (sharing.shared_) {
                got = reader_->Read(chunk_.get());
            } else {
                DWORD read = 0;
                readFailed = !::ReadFile(opened.get(), chunk_.get(), kChunkSize, &read, nullptr);
                got = readFailed ? 0 : read;
            }
            if (got == 0) break;
            if (pool_.Stopping()) return false;
            done += got;
            pool_.Count(got);
            ShowShare(file.text, size, done);
            if (sharing.shared_)
                digests_.FeedOwnerShare(chunk_.get(), got);
            else
                digests_.Feed(chunk_.get(), got);
            pool_.Settings().afterChunk(report_);
        }
        // Digests of the bytes before a failed read are not the file's.
        outcome = (sharing.shared_ ? reader_->ReadFailed() : readFailed) ? HashOutcome::ReadFailed
                                                                          : HashOutcome::Digested;
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
    HashedFile file_;      // reused, so a file costs no allocation
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

// The copy's source: the lines of the result list, whose columns receive
// the digests (or the failure mark).
class LineSource final : public HashingSource {
public:
    LineSource(ResultList& lines, const OutputOptions& options)
        : lines_(lines), reader_(lines),
          selection_{options[OutputCRC32], options[OutputMD5], options[OutputSHA1], options[OutputSHA256]}
    {
    }

    // The most units a line's columns take with these options.
    std::size_t ColumnsWidth() const
    {
        std::wstring columns;
        FileDigests digests(selection_);
        digests.Init(); // the digests of no bytes: as long as any
        digests.AppendColumns(columns);
        return std::max(columns.size(), 1 + std::wcslen(Text(IDS_HASH_FAILED_COLUMN)));
    }

    std::uint64_t Chars() const noexcept
    {
        std::uint64_t chars = 0;
        for (const Scratch& scratch : scratch_) chars += scratch.chars;
        return chars;
    }

    // The files not read because their data is online only, over every worker.
    UnreadFiles OnlineOnly() const
    {
        UnreadFiles all;
        for (const Scratch& scratch : scratch_) {
            if (scratch.onlineOnly.count == 0) continue;
            const std::uint64_t before = all.count;
            all.Add(scratch.onlineOnly.first);
            all.count = before + scratch.onlineOnly.count;
        }
        return all;
    }

    bool Next(HashedFile& file) override
    {
        if (!reader_.Next()) return false;
        const ResultLine& line = reader_.Line();
        file.index = line.index;
        file.text.assign(line.text);
        file.path.assign(line.sourcePath);
        file.skip = line.folder;
        file.onlineOnly = line.onlineOnly;
        file.digests = selection_;
        return true;
    }

    void Done(unsigned worker, const HashedFile& file, HashOutcome outcome, const FileDigests& digests) override
    {
        Scratch& scratch = scratch_[worker];
        std::wstring& columns = scratch.columns;
        columns.clear();
        switch (outcome) {
        case HashOutcome::Digested:
            digests.AppendColumns(columns);
            break;
        case HashOutcome::ReadFailed:
            AppendHashFailed(columns);
            break;
        case HashOutcome::OpenFailed:
            // A line that turns out to be a folder although the walk did not
            // say so gets no column either.
            if (!IsFolderOnDisk(file.path)) AppendHashFailed(columns);
            break;
        case HashOutcome::Skipped:
            // Not read: a folder's line, or a file whose data is online only.
            if (file.onlineOnly) {
                AppendHashFailed(columns);
                scratch.onlineOnly.Add(file.path);
            }
            break;
        }
        lines_.SetColumns(file.index, columns);
        scratch.chars += file.text.size() + columns.size() + 2;
    }

private:
    // Each worker's own, so that a line costs no allocation.
    struct Scratch {
        std::wstring columns;
        std::uint64_t chars = 0;
        UnreadFiles onlineOnly;
    };

    ResultList& lines_;
    ResultList::Reader reader_; // under the pool's lock
    const DigestSelection selection_;
    Scratch scratch_[kMaxHashingWorkers];
};

} // namespace

unsigned DefaultHashingWorkers() noexcept { return std::clamp(UsableProcessorCount(), 1u, kMaxHashingWorkers); }

bool RunHashingPass(HashingSource& source, std::size_t files, std::int64_t totalBytes, const wchar_t* statusText,
                    ProgressReport& report, const HashingPassSettings& settings)
{
    if (!report.IsRunning()) return false;
    report.StatusText().Set(statusText);
    report.SetPosition(0);
    report.SetRange(kProgressScale);

    const unsigned processors =
        settings.workers ? std::min(settings.workers, kMaxHashingWorkers) : DefaultHashingWorkers();
    // No more workers than files; one file alone still may take a second processor.
    const unsigned workerCount = unsigned(std::clamp<std::size_t>(files, 1, processors));
    HashingPool pool(source, totalBytes, report, settings, processors, workerCount);
    std::vector<std::unique_ptr<HashingWorker>> workers;
    workers.reserve(workerCount);
    for (unsigned i = 0; i < workerCount; ++i) workers.push_back(std::make_unique<HashingWorker>(pool, int(i)));
    {
        const WorkerThreads threads(pool, workers);
        workers[0]->Run();
    }
    pool.RethrowFailure();
    if (!pool.AllFinished()) return false;
    report.SetPosition(kProgressScale);
    return true;
}

bool ComputeHashes(CopyResults& results, const OutputOptions& options, ProgressReport& report,
                   const HashingPassSettings& settings)
{
    if (!report.IsRunning()) return false;
    results.totalChars = 0;
    ResultList& lines = results.lines;
    lines.Arrange();
    LineSource source(lines, options);
    lines.ReserveColumns(source.ColumnsWidth());
    const bool finished =
        RunHashingPass(source, lines.size(), results.totalBytes, Text(IDS_STEP_HASHING), report, settings);
    results.totalChars = source.Chars();
    UnreadFiles onlineOnly = source.OnlineOnly();
    results.onlineOnlyFiles = onlineOnly.count;
    results.firstOnlineOnlyFile = std::move(onlineOnly.first);
    return finished;
}

} // namespace lumbrix
