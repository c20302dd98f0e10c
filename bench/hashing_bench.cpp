// Throughput of the hashing pass under Wine: one large file in the page cache
// with each digest alone and all three, and many small files; and what a
// reader thread per file would cost the small files against the pass's one.
//   hashing_bench.exe [big MiB (1024)] [small files (10000)] [rounds (3)] [folder]
// The files stay in the folder between runs (made again when their size differs).

#include "async_file_reader.h"
#include "hash/md5.h"
#include "hash/persistent_file_reader.h"
#include "job/copy_job.h"
#include "job/hashing_pass.h"

#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

using lumbrix::CopyJob;

double Seconds()
{
    LARGE_INTEGER frequency, counter;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&counter);
    return double(counter.QuadPart) / double(frequency.QuadPart);
}

std::uint64_t SizeOf(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return ~0ull;
    return (std::uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

void MakeFile(const std::wstring& path, std::uint64_t size, unsigned seed)
{
    if (SizeOf(path) == size) return;
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "cannot create %ls\n", path.c_str());
        std::exit(1);
    }
    std::vector<std::uint32_t> block(1 << 18);
    std::uint32_t x = seed * 2654435761u + 1;
    for (std::uint64_t done = 0; done < size;) {
        for (auto& word : block) word = (x = x * 1664525u + 1013904223u);
        const DWORD part = DWORD(std::min<std::uint64_t>(block.size() * 4, size - done));
        DWORD written = 0;
        ::WriteFile(file, block.data(), part, &written, nullptr);
        done += part;
    }
    ::CloseHandle(file);
}

void ReadThrough(const std::wstring& path)
{
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    static std::vector<char> buffer(1 << 20);
    DWORD got = 0;
    while (::ReadFile(file, buffer.data(), DWORD(buffer.size()), &got, nullptr) && got) {
    }
    ::CloseHandle(file);
}

struct Digests {
    const char* name;
    bool crc32, md5, sha1;
};

// Seconds of one pass over the given files.
double TimePass(const std::vector<std::wstring>& paths, std::uint64_t totalBytes, const Digests& digests)
{
    const lumbrix::CopyJobPointer job = lumbrix::CreateCopyJob();
    job->request.options[lumbrix::OutputCRC32] = digests.crc32;
    job->request.options[lumbrix::OutputMD5] = digests.md5;
    job->request.options[lumbrix::OutputSHA1] = digests.sha1;
    for (const std::wstring& path : paths) job->results.lines.Insert(lumbrix::ResultEntry{path, path});
    job->results.totalBytes = std::int64_t(totalBytes);
    const double start = Seconds();
    const bool finished = lumbrix::ComputeHashes(*job);
    const double elapsed = Seconds() - start;
    if (!finished || job->results.lines.begin()->text.find(L"\t(") != std::wstring::npos) {
        std::fprintf(stderr, "the pass failed\n");
        std::exit(1);
    }
    return elapsed;
}

// Seconds to read every file through one reader: AsyncFileReader starts a
// thread per file, PersistentFileReader keeps one for all of them.
template <typename Reader>
double TimeReads(const std::vector<std::wstring>& paths)
{
    constexpr std::uint32_t kChunk = 65536;
    std::vector<std::uint8_t> chunk(kChunk);
    const double start = Seconds();
    Reader reader;
    for (const std::wstring& path : paths) {
        reader.Open(path, kChunk);
        while (reader.IsOpen() && reader.Read(chunk.data()) != 0) {
        }
        reader.Close();
    }
    return Seconds() - start;
}

struct Timing {
    double best = 1e300;
    std::vector<double> all;
    void Add(double seconds)
    {
        best = std::min(best, seconds);
        all.push_back(seconds);
    }
    double Median()
    {
        std::sort(all.begin(), all.end());
        return all[all.size() / 2];
    }
};

} // namespace

int wmain(int argc, wchar_t** argv)
{
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const std::uint64_t bigMiB = argc > 1 ? std::wcstoull(argv[1], nullptr, 10) : 1024;
    const int smallCount = argc > 2 ? int(std::wcstol(argv[2], nullptr, 10)) : 10000;
    const int rounds = argc > 3 ? std::max(1, int(std::wcstol(argv[3], nullptr, 10))) : 3;
    std::wstring folder;
    if (argc > 4) {
        folder = argv[4];
    } else {
        wchar_t temp[MAX_PATH + 1];
        ::GetTempPathW(MAX_PATH + 1, temp);
        folder = std::wstring(temp) + L"lumbrix-bench";
    }
    ::CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring smallFolder = folder + L"\\small";
    ::CreateDirectoryW(smallFolder.c_str(), nullptr);

    std::printf("preparing %llu MiB and %d x 4 KiB in %ls\n", (unsigned long long)bigMiB, smallCount, folder.c_str());
    const std::wstring big = folder + L"\\big.bin";
    const std::uint64_t bigBytes = bigMiB << 20;
    MakeFile(big, bigBytes, 1);
    std::vector<std::wstring> small;
    for (int i = 0; i < smallCount; ++i) {
        wchar_t name[32];
        std::swprintf(name, 32, L"\\%05d.bin", i);
        small.push_back(smallFolder + name);
        MakeFile(small.back(), 4096, unsigned(i) + 2);
    }
    ReadThrough(big);
    for (const std::wstring& path : small) ReadThrough(path);

    // The engine alone on memory, for scale.
    {
        std::vector<std::uint8_t> memory(256 << 20, 0x5A);
        lumbrix::Md5 md5;
        md5.Init();
        const double start = Seconds();
        md5.Update(memory.data(), std::uint32_t(memory.size()));
        std::printf("MD5 engine in memory:             %8.0f MB/s\n", memory.size() / (Seconds() - start) / 1e6);
    }

    const Digests kinds[] = {
        {"MD5 alone", false, true, false},
        {"SHA-1 alone", false, false, true},
        {"CRC-32 alone", true, false, false},
        {"all three", true, true, true},
    };
    double md5Best = 0, md5Median = 0, allBest = 0, allMedian = 0;
    for (const Digests& kind : kinds) {
        Timing timing;
        for (int round = 0; round < rounds; ++round)
            timing.Add(TimePass({big}, bigBytes, kind));
        const double best = bigBytes / timing.best / 1e6;
        const double median = bigBytes / timing.Median() / 1e6;
        std::printf("1 file, %-13s best %8.0f MB/s   median %8.0f MB/s\n", kind.name, best, median);
        if (kind.md5 && !kind.sha1) md5Best = best, md5Median = median;
        if (kind.crc32 && kind.md5 && kind.sha1) allBest = best, allMedian = median;
    }
    std::printf("all three / MD5 alone:            best %.3f   median %.3f\n", allBest / md5Best, allMedian / md5Median);

    if (!small.empty()) {
        Timing pass, perFile, perPass;
        for (int round = 0; round < rounds; ++round) {
            pass.Add(TimePass(small, std::uint64_t(small.size()) * 4096, kinds[3]));
            perFile.Add(TimeReads<lumbrix::AsyncFileReader>(small));
            perPass.Add(TimeReads<lumbrix::PersistentFileReader>(small));
        }
        std::printf("%d x 4 KiB, all three digests:   best %8.0f files/s   median %8.0f files/s\n", smallCount,
                    small.size() / pass.best, small.size() / pass.Median());
        std::printf("%d x 4 KiB, read, thread per pass: best %8.0f files/s   median %8.0f files/s\n", smallCount,
                    small.size() / perPass.best, small.size() / perPass.Median());
        std::printf("%d x 4 KiB, read, thread per file: best %8.0f files/s   median %8.0f files/s\n", smallCount,
                    small.size() / perFile.best, small.size() / perFile.Median());
    }
    ::CoUninitialize();
    return 0;
}
