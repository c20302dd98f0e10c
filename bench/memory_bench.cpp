// Memory program (not a test): one whole copy of a folder through the
// handler's InvokeCommand in this process, as the file manager makes it, and
// how far the process's peak working set rose above its level before the
// command, against the bytes of the text that reached the clipboard.
//   memory_bench.exe copy FOLDER [OutputSize] [--save FILE]
// With --save, the save question is answered and FILE given to the Save
// dialog when the clipboard does not take the text.
//   memory_bench.exe phases FOLDER [OutputSize]
// runs the phases of the copy one by one on a job and prints the working set
// after each: where the memory goes.
//   memory_bench.exe progress FOLDER [OutputSize] [--cancel PHASE]
// runs the worker on a job and prints, for each phase, how long it took, how
// often the bar moved and the longest time it stood still; with --cancel it
// cancels one second into the phase whose status starts with PHASE and
// prints how long the worker took to end.
// One case per process, so that no earlier case's peak hides this one's.

#include "common/module_identity.h"
#include "common/text_table.h"
#include "job/result_arrangement.h"
#include "job/selection_expansion.h"
#include "output/clipboard_transfer.h"
#include "output/text_assembly.h"
#include "shellext/copy_job.h"
#include "shellext/copy_worker.h"
#include "shellext/lumbrix_menu.h"
#include "support/save_dialog_driver.h"
#include "support/shell_selection.h"

#include "bench_clock.h"
#include "process_memory.h"

#include <windows.h>
#include <objbase.h>
#include <tlhelp32.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {


std::vector<DWORD> ThreadIds()
{
    std::vector<DWORD> ids;
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return ids;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Thread32First(snapshot, &entry); more; more = ::Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == ::GetCurrentProcessId()) ids.push_back(entry.th32ThreadID);
    ::CloseHandle(snapshot);
    return ids;
}

// Waits for the threads that exist now and did not before: the copy's worker
// (and its window's thread). The Save dialog leaves threads of its own.
void WaitForThreadsSince(const std::vector<DWORD>& before)
{
    std::vector<HANDLE> threads;
    for (DWORD id : ThreadIds())
        if (std::find(before.begin(), before.end(), id) == before.end())
            if (HANDLE thread = ::OpenThread(SYNCHRONIZE, FALSE, id)) threads.push_back(thread);
    for (HANDLE thread : threads) {
        while (::MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
            MSG message;
            while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
        }
        ::CloseHandle(thread);
    }
}

// The clipboard's text: its length in units and the block's size in bytes.
bool ClipboardSize(std::size_t& units, std::size_t& blockBytes)
{
    units = blockBytes = 0;
    for (int attempt = 0; attempt < 100 && !::OpenClipboard(nullptr); ++attempt) ::Sleep(20);
    bool found = false;
    if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
        blockBytes = ::GlobalSize(data);
        if (const auto* text = static_cast<const wchar_t*>(::GlobalLock(data))) {
            units = wcsnlen(text, blockBytes / sizeof(wchar_t));
            found = true;
            ::GlobalUnlock(data);
        }
    }
    ::CloseClipboard();
    return found;
}

// For the console, which Wine's programs write in UTF-8 here.
std::string Utf8(const std::wstring& text)
{
    std::string bytes(text.size() * 3, '\0');
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(),
                                             static_cast<int>(bytes.size()), nullptr, nullptr);
    bytes.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    return bytes;
}

void StoreOptions(bool size)
{
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Orvane\\Lumbrix64", 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                          &key, nullptr) != ERROR_SUCCESS)
        return;
    const wchar_t* names[] = {L"OutputDirectory", L"OutputShortFileName", L"OutputJunction", L"EscapePathSeparator",
                              L"OutputURL", L"OutputSize", L"OutputCRC32", L"OutputMD5", L"OutputSHA1"};
    for (const wchar_t* name : names) {
        const DWORD on = std::wcscmp(name, L"OutputDirectory") == 0 || (size && std::wcscmp(name, L"OutputSize") == 0);
        ::RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&on), sizeof(on));
    }
    ::RegCloseKey(key);
}

std::uint64_t FileBytes(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

int WholeCopy(const std::wstring& folder, bool size, const std::wstring& saveAs)
{
    std::unique_ptr<lumbrix::test::SaveDialogDriver> driver;
    if (!saveAs.empty()) {
        ::DeleteFileW(saveAs.c_str());
        driver = std::make_unique<lumbrix::test::SaveDialogDriver>(std::vector<std::wstring>{saveAs});
    }
    StoreOptions(size);
    IDataObject* data = nullptr;
    if (FAILED(shell_player::SelectionDataObject({folder}, &data))) {
        std::fprintf(stderr, "the shell gave no data object\n");
        return 1;
    }
    auto* handler = new lumbrix::LumbrixMenu;
    handler->AddRef();
    HMENU menu = ::CreatePopupMenu();
    if (FAILED(handler->Initialize(nullptr, data, nullptr)) ||
        FAILED(handler->QueryContextMenu(menu, 0, 1, 0x7FFF, CMF_NORMAL))) {
        std::fprintf(stderr, "the handler did not take the selection\n");
        return 1;
    }
    ::DestroyMenu(menu);
    ::OpenClipboard(nullptr);
    ::EmptyClipboard();
    ::CloseClipboard();
    const DWORD sequence = ::GetClipboardSequenceNumber();
    const std::vector<DWORD> threads = ThreadIds();

    const ProcessMemory before = ProcessMemoryNow();
    const double start = Seconds();
    CMINVOKECOMMANDINFO invoke{};
    invoke.cbSize = sizeof(invoke);
    invoke.lpVerb = MAKEINTRESOURCEA(lumbrix::FullPathWithSubfolders);
    invoke.nShow = SW_SHOWNORMAL;
    if (FAILED(handler->InvokeCommand(&invoke))) {
        std::fprintf(stderr, "InvokeCommand failed\n");
        return 1;
    }
    WaitForThreadsSince(threads);
    handler->Release();
    data->Release();
    const double seconds = Seconds() - start;
    const ProcessMemory after = ProcessMemoryNow();

    std::size_t units = 0, blockBytes = 0;
    const bool onClipboard = ::GetClipboardSequenceNumber() != sequence && ClipboardSize(units, blockBytes);
    const std::uint64_t saved = saveAs.empty() ? 0 : FileBytes(saveAs);
    if (!onClipboard && saved >= 2) units = static_cast<std::size_t>((saved - 2) / sizeof(wchar_t));
    if (driver) {
        for (const lumbrix::test::SeenDialog& box : driver->Boxes())
            std::printf("  box: %s\n", Utf8(box.text).c_str());
        for (const auto& visit : driver->Visits())
            std::printf("  the Save dialog opened in %s\n", Utf8(visit.folder).c_str());
    }
    const double grown = after.peak - before.workingSet;
    const double textBytes = double(units + 1) * sizeof(wchar_t);
    std::printf("%-12s %9.1f MiB text (%zu units, block %.1f MiB)  peak +%8.1f MiB  %.2f x text  "
                "(working set before %.1f MiB, its peak %.1f MiB)  %.1f s  %s\n",
                size ? "OutputSize" : "paths only", textBytes / kMiB, units, double(blockBytes) / kMiB, grown / kMiB,
                grown / textBytes, before.workingSet / kMiB, before.peak / kMiB, seconds,
                onClipboard ? "on the clipboard" : saved ? "in the file" : "NEITHER ON THE CLIPBOARD NOR IN A FILE");
    if (saved) std::printf("  the file holds %llu bytes\n", static_cast<unsigned long long>(saved));
    return onClipboard || saved ? 0 : 1;
}

void PrintStep(const char* step, const ProcessMemory& start, const lumbrix::CopyJob& job)
{
    const ProcessMemory now = ProcessMemoryNow();
    std::printf("  %-34s working set +%8.1f MiB  peak +%8.1f MiB  (%zu lines, %.1f MiB of text)\n", step,
                (now.workingSet - start.workingSet) / kMiB, (now.peak - start.workingSet) / kMiB,
                job.results.lines.size(), double(job.results.totalChars * 2 + 2) / kMiB);
}

int Phases(const std::wstring& folder, bool size)
{
    const lumbrix::CopyJobPointer job = lumbrix::CreateCopyJob();
    if (!job) return 1;
    job->request.mode = lumbrix::FullPathWithSubfolders;
    job->request.options[lumbrix::OutputSize] = size;
    job->request.selection.Insert(folder);
    const ProcessMemory start = ProcessMemoryNow();
    std::printf("%s, working set at the start %.1f MiB\n", size ? "OutputSize" : "paths only",
                start.workingSet / kMiB);
    double at = Seconds();
    lumbrix::ExpandSelection(job->request, job->results, job->progress);
    std::printf("  %.1f s\n", Seconds() - at);
    PrintStep("after the walk", start, *job);
    at = Seconds();
    if (!lumbrix::ArrangeResults(job->results.lines, job->progress)) return 1;
    std::printf("  %.1f s\n", Seconds() - at);
    PrintStep("after the sorting", start, *job);
    at = Seconds();
    if (!lumbrix::BuildText(job->results, job->progress)) return 1;
    std::printf("  %.1f s\n", Seconds() - at);
    PrintStep("after the text block", start, *job);
    if (!lumbrix::CopyToClipboard(job->results, job->progress)) return 1;
    PrintStep("after the clipboard took it", start, *job);
    return 0;
}

// The status without what follows its first "(": the phase.
std::wstring PhaseOf(const wchar_t* status)
{
    std::wstring phase = status;
    return phase.substr(0, phase.find(L'('));
}

int Progress(const std::wstring& folder, bool size, const std::wstring& cancelPhase)
{
    lumbrix::CopyJobPointer job = lumbrix::CreateCopyJob();
    if (!job) return 1;
    job->request.mode = lumbrix::FullPathWithSubfolders;
    job->request.options[lumbrix::OutputSize] = size;
    job->request.selection.Insert(folder);
    lumbrix::CopyJob* const watched = job.get(); // read until the done step or the cancel, while the worker holds it
    const ProcessMemory start = ProcessMemoryNow();
    std::atomic<double> ended{0};
    std::thread worker([&ended, owned = std::move(job)]() mutable {
        lumbrix::RunCopyJob(std::move(owned));
        ended = Seconds();
    });
    struct Phase {
        std::wstring name;
        double start = 0, end = 0, lastMove = 0, longestStill = 0;
        std::uint64_t position = 0;
        int moves = 0;
    };
    std::vector<Phase> phases;
    double cancelledAt = 0;
    for (;;) {
        const double now = Seconds();
        const std::wstring phase = PhaseOf(watched->progress.StatusText().c_str());
        const std::uint64_t position = watched->progress.Position();
        if (phases.empty() || phases.back().name != phase) {
            if (!phases.empty()) phases.back().end = now;
            phases.push_back(Phase{phase, now, 0, now, 0, position, 0});
        }
        Phase& current = phases.back();
        if (position != current.position) {
            current.longestStill = std::max(current.longestStill, now - current.lastMove);
            current.lastMove = now;
            current.position = position;
            ++current.moves;
        }
        if (phase == lumbrix::Text(IDS_STEP_DONE)) break;
        if (!cancelPhase.empty() && phase.rfind(cancelPhase, 0) == 0 && now - current.start >= 1.0) {
            watched->progress.Stop();
            cancelledAt = now;
            break;
        }
        if (ended.load() != 0) break;
        ::Sleep(20);
    }
    worker.join();
    phases.back().end = Seconds();
    for (Phase& phase : phases) {
        phase.longestStill = std::max(phase.longestStill, phase.end - phase.lastMove);
        std::printf("  %-40s %7.1f s  the bar moved %6d times, stood still %5.2f s at most\n",
                    phase.name.empty() ? "(starting)" : Utf8(phase.name).c_str(), phase.end - phase.start, phase.moves,
                    phase.longestStill);
    }
    if (cancelledAt != 0) std::printf("  cancelled: the worker ended %.3f s later\n", ended.load() - cancelledAt);
    std::printf("  peak working set +%.1f MiB\n", (ProcessMemoryNow().peak - start.workingSet) / kMiB);
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: memory_bench.exe copy|phases|progress FOLDER [OutputSize] [--save FILE] "
                             "[--cancel PHASE]\n");
        return 2;
    }
    // This program carries the DLL's resources (the manifest, the icon), as the tests do.
    lumbrix::moduleInstance = ::GetModuleHandleW(nullptr);
    ::OleInitialize(nullptr);
    const std::wstring mode = argv[1];
    bool size = false;
    std::wstring saveAs, cancelPhase;
    for (int i = 3; i < argc; ++i) {
        if (std::wcscmp(argv[i], L"OutputSize") == 0) size = true;
        if (std::wcscmp(argv[i], L"--save") == 0 && i + 1 < argc) saveAs = argv[++i];
        if (std::wcscmp(argv[i], L"--cancel") == 0 && i + 1 < argc) cancelPhase = argv[++i];
    }
    int status = 0;
    if (mode == L"phases")
        status = Phases(argv[2], size);
    else if (mode == L"progress")
        status = Progress(argv[2], size, cancelPhase);
    else
        status = WholeCopy(argv[2], size, saveAs);
    ::OleUninitialize();
    return status;
}
