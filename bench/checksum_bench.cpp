// Measurement program (not a test): a SHA-256 checksum list of many lines
// read into the store, as the verify command reads one, and what it costs.
//   checksum_bench.exe FOLDER [LINES (1000000)] [result-list]
// writes FOLDER\list.sha256 (relative paths, 100 files a folder), reads it
// and prints the reading's rate in lines and MiB a second and the store's
// bytes an entry; then the time of a lookup by path of every entry (the
// pasted-list case), of keeping the lines below a selected folder, and of the
// report; and after each step the process's peak working set above its
// start against the list's size. With result-list it instead puts the
// entries' full paths in a result list beside the store, as the hashing pass
// takes its files today, and shows what that and its SHA-256 column slots
// add. One case per process, so that no earlier peak hides this one's.

#include "job/checksum_list_file.h"
#include "job/result_list.h"
#include "job/verify_outcome.h"

#include "bench_clock.h"
#include "process_memory.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace lumbrix;

// The list, written in pieces so that making it leaves no peak behind.
std::uint64_t WriteList(const std::wstring& path, std::size_t lines)
{
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) std::exit(1);
    std::string piece;
    std::uint64_t bytes = 0;
    char line[160];
    for (std::size_t i = 0; i < lines; ++i) {
        char hex[65];
        for (int d = 0; d < 64; ++d) hex[d] = "0123456789abcdef"[(i * 7919 + std::size_t(d) * 104729) % 16];
        hex[64] = 0;
        const int length = std::snprintf(line, sizeof(line), "%s  group%03zu/folder%05zu/file%07zu.txt\n", hex,
                                         i / 10000, i / 100, i);
        piece.append(line, std::size_t(length));
        if (piece.size() > (1 << 20) || i + 1 == lines) {
            DWORD written = 0;
            ::WriteFile(file, piece.data(), DWORD(piece.size()), &written, nullptr);
            bytes += written;
            piece.clear();
        }
    }
    ::CloseHandle(file);
    return bytes;
}

void PrintGrowth(const char* stage, double start, double listBytes)
{
    const double growth = ProcessMemoryNow().peak - start;
    std::printf("%-52s %8.1f MiB  %.2f x the list\n", stage, growth / kMiB, growth / listBytes);
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2) return 2;
    const std::wstring folder = argv[1];
    const std::size_t lines = argc > 2 ? std::wcstoul(argv[2], nullptr, 10) : 1000000;
    const std::wstring listPath = folder + L"\\list.sha256";
    const double listBytes = double(WriteList(listPath, lines));
    std::printf("list: %zu lines, %.1f MiB (%.1f bytes a line)\n", lines, listBytes / kMiB, listBytes / lines);

    const double start = ProcessMemoryNow().workingSet;
    auto store = std::make_unique<ChecksumStore>();
    const std::atomic<bool> running{true};
    ListFileCounts counts;
    double began = Seconds();
    if (ReadChecksumListFile(listPath, *store, running, counts) != ListFileOutcome::Read) return 1;
    const double reading = Seconds() - began;
    std::printf("reading: %.2f s, %.2f million lines/s, %.0f MiB/s\n", reading, lines / reading / 1e6,
                listBytes / kMiB / reading);
    std::printf("store: %.1f bytes an entry (%.1f MiB)\n", double(store->MemoryBytes()) / lines,
                double(store->MemoryBytes()) / kMiB);
    PrintGrowth("growth with the store", start, listBytes);

    if (argc > 3 && std::wstring(argv[3]) == L"result-list") {
        began = Seconds();
        ResultList files;
        {
            ChecksumStore::Reader reader(*store);
            while (reader.Next()) files.Append(reader.Entry().fullPath, reader.Entry().fullPath);
        }
        files.Arrange();
        std::printf("result list of the files to hash: %.2f s\n", Seconds() - began);
        PrintGrowth("growth with it beside the store", start, listBytes);
        files.ReserveColumns(72); // "\tSHA256:" and 64 digits, as the hashing pass reserves them
        for (std::size_t i = 0; i < files.size(); i += 256) files.SetColumns(i, L"\tSHA256:0"); // touch each page
        PrintGrowth("growth with its SHA-256 column slots too", start, listBytes);
        ::DeleteFileW(listPath.c_str());
        return 0;
    }

    began = Seconds();
    std::wstring path;
    std::size_t found = 0;
    for (std::size_t i = 0; i < store->size(); ++i) found += store->Find(store->At(i, path).fullPath) == i;
    std::printf("lookups of every entry by path (index made first): %.2f s, %zu found\n", Seconds() - began, found);
    PrintGrowth("growth with the lookup index", start, listBytes);

    began = Seconds();
    store->KeepSelected(std::vector<std::wstring>{folder + L"\\group001"});
    const VerifyCounts kept = CountOutcome(*store);
    std::printf("keeping the lines below one selected folder: %.2f s, %llu kept\n", Seconds() - began,
                static_cast<unsigned long long>(kept[VerifyStatus::Pending]));

    for (std::size_t i = 0; i < store->size(); ++i)
        if (store->Status(i) == VerifyStatus::NotChecked) store->SetStatus(i, VerifyStatus::Match);
    const VerifyStatusTexts texts = {L"", L"\x4E00\x81F4", L"", L"", L"", L"", L""};
    began = Seconds();
    const std::uint64_t units = ReportUnits(*store, texts);
    const std::unique_ptr<wchar_t[]> report(new wchar_t[units]);
    WriteReport(*store, texts, report.get(), true);
    for (std::uint64_t i = 0; i < units; i += 2048) report[i] = 0; // every page, as the clipboard would read them
    std::printf("report: %.1f MiB of text in %.2f s\n", double(units) * 2 / kMiB, Seconds() - began);
    PrintGrowth("growth with the report (the store freed as written)", start, listBytes);
    store.reset();
    ::DeleteFileW(listPath.c_str());
    return 0;
}
