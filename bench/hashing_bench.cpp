// One round of the hashing pass's measurements under Wine, over files that
// tools/bench-hashing.sh has made (and put in the page cache):
//   hashing_bench.exe <folder> <worker counts, comma-separated>
// <folder> holds many\*.bin (the many-large-files case), one\big.bin (one
// large file) and small\*.bin (the many-small-files case); a missing folder
// skips its case. One line per measurement, for the script to gather:
//   <case> <digests> <workers> <seconds> <bytes> <files>
// workers 0 is the pass's own choice (one per processor); "bare" lines are
// the floor of the small files: open, read and close each file, nothing else.
// "checksum" lines are the many files' whole jobs: a copy with only SHA-256 on
// (to the clipboard), a SHA-256 list of them created, and that list verified.

#include "hash/md5.h"
#include "job/hashing_pass.h"
#include "job/result_arrangement.h"
#include "job/selection_expansion.h"
#include "job/verify_outcome.h"
#include "job/verify_pass.h"
#include "job/verify_sources.h"
#include "output/checksum_file_output.h"
#include "output/checksum_file_writer.h"
#include "output/clipboard_transfer.h"
#include "output/text_assembly.h"
#include "shellext/copy_job.h"

#include "bench_clock.h"

#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

struct File {
    std::wstring path;
    std::uint64_t size;
};

std::vector<File> ListFiles(const std::wstring& folder)
{
    std::vector<File> files;
    WIN32_FIND_DATAW entry;
    HANDLE find = ::FindFirstFileW((folder + L"\\*.bin").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return files;
    do {
        files.push_back({folder + L"\\" + entry.cFileName,
                         (std::uint64_t(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow});
    } while (::FindNextFileW(find, &entry));
    ::FindClose(find);
    std::sort(files.begin(), files.end(), [](const File& a, const File& b) { return a.path < b.path; });
    return files;
}

struct Digests {
    const char* name;
    bool crc32, md5, sha1, sha256;
};
constexpr Digests kMd5{"md5", false, true, false, false};
constexpr Digests kAllThree{"all3", true, true, true, false};
constexpr Digests kAllFour{"all4", true, true, true, true};

void Report(const char* scenario, const char* digests, unsigned workers, double seconds,
            const std::vector<File>& files)
{
    std::uint64_t bytes = 0;
    for (const File& file : files) bytes += file.size;
    std::printf("%s %s %u %.6f %llu %zu\n", scenario, digests, workers, seconds, (unsigned long long)bytes,
                files.size());
    std::fflush(stdout);
}

// One pass over the files, as a copy with digest columns runs it.
void TimePass(const char* scenario, const std::vector<File>& files, const Digests& digests, unsigned workers)
{
    const lumbrix::CopyJobPointer job = lumbrix::CreateCopyJob();
    job->request.options[lumbrix::OutputCRC32] = digests.crc32;
    job->request.options[lumbrix::OutputMD5] = digests.md5;
    job->request.options[lumbrix::OutputSHA1] = digests.sha1;
    job->request.options[lumbrix::OutputSHA256] = digests.sha256;
    for (const File& file : files) {
        job->results.lines.Append(file.path, file.path);
        job->results.totalBytes += std::int64_t(file.size);
    }
    lumbrix::HashingPassSettings settings;
    settings.workers = workers;
    const double start = Seconds();
    const bool finished = lumbrix::ComputeHashes(job->results, job->request.options, job->progress, settings);
    const double elapsed = Seconds() - start;
    for (const lumbrix::ResultLine& line : job->results.lines) {
        if (!finished || line.columns.find(L"\t(") != std::wstring_view::npos) {
            std::fprintf(stderr, "the pass failed on %ls\n", line.Text().c_str());
            std::exit(1);
        }
    }
    Report(scenario, digests.name, workers, elapsed, files);
}

void Fail(const char* what)
{
    std::fprintf(stderr, "%s failed\n", what);
    std::exit(1);
}

// The files below folder with their SHA-256, as a copy and the create command expand them.
lumbrix::CopyJobPointer Sha256Job(const std::wstring& folder)
{
    lumbrix::CopyJobPointer job = lumbrix::CreateCopyJob();
    job->request.mode = lumbrix::FullPathWithSubfolders;
    job->request.options[lumbrix::OutputDirectory] = false;
    job->request.options[lumbrix::OutputSHA256] = true;
    job->request.selection.Insert(folder);
    job->request.folderCount = 1;
    return job;
}

// The phases of the three jobs on the same files, timed whole (no window).
void TimeChecksumJobs(const std::wstring& folder, const std::wstring& list, const std::vector<File>& files)
{
    {
        const lumbrix::CopyJobPointer job = Sha256Job(folder);
        const double start = Seconds();
        lumbrix::ExpandSelection(job->request, job->results, job->progress);
        if (!lumbrix::ArrangeResults(job->results.lines, job->progress) ||
            !lumbrix::ComputeHashes(job->results, job->request.options, job->progress) ||
            !lumbrix::BuildText(job->results, job->progress) || !lumbrix::CopyToClipboard(job->results, job->progress))
            Fail("the copy");
        Report("checksum", "copy-sha256", 0, Seconds() - start, files);
    }
    {
        const lumbrix::CopyJobPointer job = Sha256Job(folder);
        const double start = Seconds();
        lumbrix::ExpandSelection(job->request, job->results, job->progress);
        lumbrix::ChecksumFileWriter writer;
        lumbrix::UnlistedFiles unlisted;
        if (!lumbrix::ArrangeResults(job->results.lines, job->progress) ||
            !writer.Create(list, lumbrix::ChecksumAlgorithm::Sha256) ||
            !lumbrix::ComputeHashes(job->results, job->request.options, job->progress) ||
            !lumbrix::WriteChecksumFile(job->results.lines, writer, lumbrix::ChecksumAlgorithm::Sha256, job->progress,
                                        unlisted) ||
            unlisted.count != 0)
            Fail("the creation");
        Report("checksum", "create", 0, Seconds() - start, files);
    }
    {
        const lumbrix::CopyJobPointer job = lumbrix::CreateCopyJob();
        lumbrix::ChecksumStore& store = job->checksum.store;
        const double start = Seconds();
        lumbrix::ListFileCounts counts;
        lumbrix::VerifyPlan plan;
        if (lumbrix::ReadVerifyList(list, store, job->progress, counts) != lumbrix::ListFileOutcome::Read ||
            !lumbrix::LocateVerifyFiles(store, job->progress, plan) ||
            !lumbrix::VerifyEntries(store, plan, job->progress))
            Fail("the verification");
        const double elapsed = Seconds() - start;
        if (lumbrix::CountOutcome(store)[lumbrix::VerifyStatus::Match] != files.size()) Fail("a match");
        Report("checksum", "verify", 0, elapsed, files);
    }
}

// The floor of the small files: each one opened as the pass opens it, read to
// its end and closed, on `threads` threads taking files in turn.
void TimeBareReads(const std::vector<File>& files, unsigned threads)
{
    struct Shared {
        const std::vector<File>* files;
        std::atomic<std::size_t> next{0};
    } shared{&files};
    const auto work = [](void* context) -> DWORD {
        auto& shared = *static_cast<Shared*>(context);
        const auto buffer = std::make_unique<std::uint8_t[]>(65536);
        for (std::size_t i; (i = shared.next.fetch_add(1)) < shared.files->size();) {
            const std::wstring path = L"\\\\?\\" + (*shared.files)[i].path;
            HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
            if (file == INVALID_HANDLE_VALUE) std::exit(1);
            DWORD got = 0;
            while (::ReadFile(file, buffer.get(), 65536, &got, nullptr) && got != 0) {
            }
            ::CloseHandle(file);
        }
        return 0;
    };
    const double start = Seconds();
    std::vector<HANDLE> others;
    for (unsigned i = 1; i < threads; ++i) others.push_back(::CreateThread(nullptr, 0, work, &shared, 0, nullptr));
    work(&shared);
    for (HANDLE thread : others) {
        ::WaitForSingleObject(thread, INFINITE);
        ::CloseHandle(thread);
    }
    Report("small", "bare", threads, Seconds() - start, files);
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: hashing_bench.exe <folder> <worker counts, comma-separated>\n");
        return 2;
    }
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const std::wstring folder = argv[1];
    std::vector<unsigned> workerCounts;
    for (const wchar_t* at = argv[2]; *at;) {
        wchar_t* end = nullptr;
        workerCounts.push_back(unsigned(std::wcstoul(at, &end, 10)));
        at = *end ? end + 1 : end;
    }
    std::printf("# default workers %u\n", lumbrix::DefaultHashingWorkers());

    // The engine alone on memory, for scale.
    {
        std::vector<std::uint8_t> memory(64 << 20, 0x5A);
        lumbrix::Md5 md5;
        md5.Init();
        const double start = Seconds();
        md5.Update(memory.data(), std::uint32_t(memory.size()));
        Report("memory", "md5", 1, Seconds() - start, {{L"", memory.size()}});
    }

    const std::vector<File> many = ListFiles(folder + L"\\many");
    if (!many.empty()) {
        for (const Digests& digests : {kMd5, kAllThree, kAllFour})
            for (unsigned workers : workerCounts) TimePass("many", many, digests, workers);
        TimeChecksumJobs(folder + L"\\many", folder + L"\\many.sha256", many);
    }
    const std::vector<File> one = ListFiles(folder + L"\\one");
    if (!one.empty()) {
        TimePass("one", one, kMd5, 0);
        TimePass("one", one, kAllThree, 0);
        TimePass("one", one, kAllThree, 1);
        TimePass("one", one, kAllFour, 0);
        TimePass("one", one, kAllFour, 1);
    }
    const std::vector<File> small = ListFiles(folder + L"\\small");
    if (!small.empty()) {
        TimeBareReads(small, 1);
        TimePass("small", small, kAllThree, 0);
        for (unsigned workers : workerCounts) TimePass("small", small, kAllThree, workers);
        TimeBareReads(small, 2);
    }
    ::CoUninitialize();
    return 0;
}
