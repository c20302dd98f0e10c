// Memory program (not a test): one whole copy of a folder through the
// handler's InvokeCommand in this process, as the file manager makes it, and
// how far the process's peak working set rose above its level before the
// command, against the bytes of the text that reached the clipboard.
//   memory_bench.exe copy FOLDER [OutputSize]
// With "phases" instead of "copy" it runs the phases of the copy one by one
// on a job and prints the working set after each: where the memory goes.
// One case per process, so that no earlier case's peak hides this one's.

#include "job/copy_job.h"
#include "job/selection_expansion.h"
#include "output/clipboard_transfer.h"
#include "output/text_assembly.h"
#include "shell_selection.h"
#include "shellext/lumbrix_menu.h"

#include "bench_clock.h"

#include <windows.h>
#include <objbase.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr double kMiB = 1024.0 * 1024.0;

struct Memory {
    double workingSet;
    double peak;
};

Memory MemoryNow()
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof(counters));
    return {double(counters.WorkingSetSize), double(counters.PeakWorkingSetSize)};
}

std::size_t ThreadCount()
{
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    std::size_t count = 0;
    for (BOOL more = ::Thread32First(snapshot, &entry); more; more = ::Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == ::GetCurrentProcessId()) ++count;
    ::CloseHandle(snapshot);
    return count;
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

int WholeCopy(const std::wstring& folder, bool size)
{
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
    const std::size_t threads = ThreadCount();

    const Memory before = MemoryNow();
    const double start = Seconds();
    CMINVOKECOMMANDINFO invoke{};
    invoke.cbSize = sizeof(invoke);
    invoke.lpVerb = MAKEINTRESOURCEA(lumbrix::FullPathWithSubfolders);
    invoke.nShow = SW_SHOWNORMAL;
    if (FAILED(handler->InvokeCommand(&invoke))) {
        std::fprintf(stderr, "InvokeCommand failed\n");
        return 1;
    }
    handler->Release();
    data->Release();
    while (ThreadCount() > threads) {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
        ::Sleep(20);
    }
    const double seconds = Seconds() - start;
    const Memory after = MemoryNow();

    std::size_t units = 0, blockBytes = 0;
    const bool onClipboard = ::GetClipboardSequenceNumber() != sequence && ClipboardSize(units, blockBytes);
    const double textBytes = double(units + 1) * sizeof(wchar_t);
    const double grown = after.peak - before.workingSet;
    std::printf("%-12s %9.1f MiB text (%zu units, block %.1f MiB)  peak +%8.1f MiB  %.2f x text  "
                "(working set before %.1f MiB, its peak %.1f MiB)  %.1f s%s\n",
                size ? "OutputSize" : "paths only", textBytes / kMiB, units, double(blockBytes) / kMiB, grown / kMiB,
                grown / textBytes, before.workingSet / kMiB, before.peak / kMiB, seconds,
                onClipboard ? "" : "  NOT ON THE CLIPBOARD");
    return onClipboard ? 0 : 1;
}

void PrintStep(const char* step, const Memory& start, const lumbrix::CopyJob& job)
{
    const Memory now = MemoryNow();
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
    const Memory start = MemoryNow();
    std::printf("%s, working set at the start %.1f MiB\n", size ? "OutputSize" : "paths only",
                start.workingSet / kMiB);
    double at = Seconds();
    lumbrix::ExpandSelection(*job);
    std::printf("  %.1f s\n", Seconds() - at);
    PrintStep("after the walk", start, *job);
    at = Seconds();
    if (!lumbrix::ArrangeResults(*job)) return 1;
    std::printf("  %.1f s\n", Seconds() - at);
    PrintStep("after the sorting", start, *job);
    at = Seconds();
    if (!lumbrix::BuildText(*job)) return 1;
    std::printf("  %.1f s\n", Seconds() - at);
    PrintStep("after the text block", start, *job);
    if (!lumbrix::CopyToClipboard(*job)) return 1;
    PrintStep("after the clipboard took it", start, *job);
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: memory_bench.exe copy|phases FOLDER [OutputSize]\n");
        return 2;
    }
    ::OleInitialize(nullptr);
    const std::wstring mode = argv[1];
    const bool size = argc > 3 && std::wcscmp(argv[3], L"OutputSize") == 0;
    const int status = mode == L"phases" ? Phases(argv[2], size) : WholeCopy(argv[2], size);
    ::OleUninitialize();
    return status;
}
