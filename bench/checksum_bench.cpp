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
//   checksum_bench.exe FOLDER LINES verify
// runs the verify command's phases on such a list (its files exist when
// tools/bench-checksum.sh has made the tree, else every one is missing): the
// reading, the finding of the files, the reading of each file, the report on
// the clipboard; their times and the growth against the list's size.
//   checksum_bench.exe FOLDER LINES cancel
// cancels each phase of a verification a moment into it, as the Cancel
// button does, and prints how long the phase took to return.

#include "job/checksum_list_file.h"
#include "job/copy_results.h"
#include "job/result_list.h"
#include "job/selection_list.h"
#include "job/verify_outcome.h"
#include "job/verify_pass.h"
#include "job/verify_sources.h"
#include "output/clipboard_digests.h"
#include "output/verify_result.h"
#include "progress/progress_window.h"

#include "bench_clock.h"
#include "process_memory.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>
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

void PrintCounts(const ChecksumStore& store)
{
    const VerifyCounts counts = CountOutcome(store);
    std::printf("  match %llu, mismatch %llu, not found %llu, unreadable %llu\n",
                (unsigned long long)counts[VerifyStatus::Match], (unsigned long long)counts[VerifyStatus::Mismatch],
                (unsigned long long)counts[VerifyStatus::NotFound],
                (unsigned long long)counts[VerifyStatus::Unreadable]);
}

// The verify command's phases on the list, as its worker runs them (without a
// window), the report copied as after a Yes.
int Verify(const std::wstring& listPath, double listBytes)
{
    const double start = ProcessMemoryNow().workingSet;
    ProgressWindow report;
    auto store = std::make_unique<ChecksumStore>();
    ListFileCounts counts;
    double began = Seconds();
    if (ReadVerifyList(listPath, *store, report, counts) != ListFileOutcome::Read) return 1;
    std::printf("reading the list: %.2f s\n", Seconds() - began);
    PrintGrowth("growth with the store", start, listBytes);
    began = Seconds();
    VerifyPlan plan;
    if (!LocateVerifyFiles(*store, report, plan)) return 1;
    std::printf("finding the files: %.2f s, %llu to read\n", Seconds() - began, (unsigned long long)plan.files);
    began = Seconds();
    if (!VerifyEntries(*store, plan, report)) return 1;
    std::printf("reading the files: %.2f s\n", Seconds() - began);
    PrintCounts(*store);
    PrintGrowth("growth after the reading", start, listBytes);
    began = Seconds();
    CopyResults results;
    if (!CopyVerifyReport(*store, results, report)) return 1;
    std::printf("the report on the clipboard: %.2f s\n", Seconds() - began);
    PrintGrowth("growth with the report (the store freed as written)", start, listBytes);
    return 0;
}

// Runs phase with a fresh report, clears running after delayMs as the Cancel
// button does, and prints how long the phase took to return after that.
void TimeCancel(const char* name, DWORD delayMs, const std::function<void(ProgressReport&)>& phase)
{
    ProgressWindow report;
    std::atomic<double> stopped{0};
    std::thread canceller([&] {
        ::Sleep(delayMs);
        stopped = Seconds();
        report.Stop();
    });
    const double began = Seconds();
    phase(report);
    const double ended = Seconds();
    canceller.join();
    if (stopped > ended)
        std::printf("%-44s done in %.3f s, before the cancel\n", name, ended - began);
    else
        std::printf("%-44s returned %.3f s after the cancel\n", name, ended - stopped);
}

// Each phase of a verification cancelled a moment into it.
int Cancel(const std::wstring& folder, const std::wstring& listPath)
{
    ChecksumStore read;
    ListFileCounts counts;
    TimeCancel("reading the list", 300, [&](ProgressReport& report) {
        static_cast<void>(ReadVerifyList(listPath, read, report, counts));
    });
    ChecksumStore store;
    ProgressWindow whole;
    if (ReadVerifyList(listPath, store, whole, counts) != ListFileOutcome::Read) return 1;
    VerifyPlan plan;
    TimeCancel("finding the files", 300,
               [&](ProgressReport& report) { static_cast<void>(LocateVerifyFiles(store, report, plan)); });
    if (!LocateVerifyFiles(store, whole, plan)) return 1;
    TimeCancel("reading the files", 300,
               [&](ProgressReport& report) { static_cast<void>(VerifyEntries(store, plan, report)); });

    // The same lines as pasted text, at most the clipboard's bound, read from the clipboard.
    std::wstring text;
    {
        ChecksumStore::Reader reader(store);
        const std::wstring base = folder + L"\\";
        while (reader.Next() && text.size() < (std::size_t{32} << 20) - 200) {
            text += FormatHexDigest(reader.Entry().expected, false) + L"  ";
            text.append(reader.Entry().fullPath.substr(base.size()));
            text += L"\n";
        }
    }
    const HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    std::memcpy(::GlobalLock(block), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    ::GlobalUnlock(block);
    if (!::OpenClipboard(nullptr)) return 1;
    ::EmptyClipboard();
    ::SetClipboardData(CF_UNICODETEXT, block);
    ::CloseClipboard();
    std::printf("pasted text: %.1f MiB\n", double(text.size()) * 2 / kMiB);
    ChecksumDigest single;
    ChecksumTextKind kind = ChecksumTextKind::Nothing;
    TimeCancel("reading the pasted lines", 200, [&](ProgressReport& report) {
        ChecksumStore cancelled;
        static_cast<void>(ReadClipboardDigests(report, folder, cancelled, single, kind));
    });
    ProgressWindow all;
    ChecksumStore pasted;
    const double began = Seconds();
    if (!ReadClipboardDigests(all, folder, pasted, single, kind)) return 1;
    std::printf("reading the pasted lines whole: %.2f s, %zu entries\n", Seconds() - began, pasted.size());
    SelectionList selection;
    selection.Insert(folder);
    TimeCancel("joining them with the selected files", 100, [&](ProgressReport& report) {
        ResultList files;
        for (int i = 0; i < 100000; ++i) files.Append(folder + L"\\extra\\" + std::to_wstring(i));
        static_cast<void>(JoinSelectedFiles(pasted, kind, single, selection, files, report));
    });
    return 0;
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
    const std::wstring mode = argc > 3 ? argv[3] : L"";
    if (mode == L"verify" || mode == L"cancel") {
        const int status = mode == L"verify" ? Verify(listPath, listBytes) : Cancel(folder, listPath);
        ::DeleteFileW(listPath.c_str());
        return status;
    }

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

    if (mode == L"result-list") {
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
