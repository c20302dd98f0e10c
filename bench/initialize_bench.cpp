// How long the handler's Initialize takes for a large selection: with the
// shell's own data object (the kinds of the items come from its item list) and
// with a data object that offers only the name list (one attribute query per
// name). On a slow network share the second costs a round trip per item.
// And the Windows 11 menu's reads of the same selection as an item array: a
// copy command's state (every item, files only) and Invoke's intake.
//   initialize_bench.exe [files (10000)] [rounds (5)] [folder]

#include "shellext/explorer_command.h"
#include "shellext/lumbrix_menu.h"
#include "shellext/shell_item_selection.h"
#include "support/drop_data_object.h"
#include "support/shell_selection.h"

#include "bench_clock.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Best time of rounds Initialize calls on fresh handlers.
double BestInitialize(IDataObject* data, int rounds, std::size_t expected)
{
    double best = 1e300;
    for (int round = 0; round < rounds; ++round) {
        auto* handler = new lumbrix::LumbrixMenu;
        handler->AddRef();
        const double start = Seconds();
        const HRESULT hr = handler->Initialize(nullptr, data, nullptr);
        best = std::min(best, Seconds() - start);
        if (FAILED(hr) || handler->fileCount != expected) {
            std::fprintf(stderr, "Initialize failed: 0x%08lX, %llu files\n", static_cast<unsigned long>(hr),
                         static_cast<unsigned long long>(handler->fileCount));
            std::exit(1);
        }
        handler->Release();
    }
    return best;
}

// Best time of rounds calls of read, which returns whether it read what it should.
template <typename Read>
double Best(int rounds, const char* what, Read read)
{
    double best = 1e300;
    for (int round = 0; round < rounds; ++round) {
        const double start = Seconds();
        const bool ok = read();
        best = std::min(best, Seconds() - start);
        if (!ok) {
            std::fprintf(stderr, "%s failed\n", what);
            std::exit(1);
        }
    }
    return best;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const int count = argc > 1 ? std::max(1, int(std::wcstol(argv[1], nullptr, 10))) : 10000;
    const int rounds = argc > 2 ? std::max(1, int(std::wcstol(argv[2], nullptr, 10))) : 5;
    std::wstring folder;
    if (argc > 3) {
        folder = argv[3];
    } else {
        wchar_t temp[MAX_PATH + 1];
        ::GetTempPathW(MAX_PATH + 1, temp);
        folder = std::wstring(temp) + L"lumbrix-initialize-bench";
    }
    ::CreateDirectoryW(folder.c_str(), nullptr);
    std::vector<std::wstring> paths;
    for (int i = 0; i < count; ++i) {
        wchar_t name[32];
        std::swprintf(name, 32, L"\\item%05d.txt", i);
        paths.push_back(folder + name);
        const HANDLE file = ::CreateFileW(paths.back().c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
    }

    IDataObject* shellData = nullptr;
    if (FAILED(shell_player::SelectionDataObject(paths, &shellData))) {
        std::fprintf(stderr, "the shell gave no data object\n");
        return 1;
    }
    auto namesOnly = lumbrix::test::DropDataObject::Of(paths);
    const double shell = BestInitialize(shellData, rounds, paths.size());
    const double names = BestInitialize(&namesOnly, rounds, paths.size());
    IShellItemArray* items = nullptr;
    if (FAILED(::SHCreateShellItemArrayFromDataObject(shellData, IID_IShellItemArray, reinterpret_cast<void**>(&items)))) {
        std::fprintf(stderr, "the shell gave no item array\n");
        return 1;
    }
    lumbrix::ExplorerCommand withSubfolders(2);
    const double state = Best(rounds, "GetState", [&] {
        EXPCMDSTATE cmdState = 0;
        return withSubfolders.GetState(items, TRUE, &cmdState) == S_OK && cmdState == ECS_DISABLED;
    });
    const double intake = Best(rounds, "ReadSelection", [&] {
        lumbrix::CopyRequest request;
        return lumbrix::ReadSelection(items, request) == S_OK && request.fileCount == paths.size();
    });
    items->Release();
    shellData->Release();
    std::printf("Initialize, %d files, best of %d:\n", count, rounds);
    std::printf("  shell item list (kinds from the shell):   %8.1f ms\n", shell * 1000);
    std::printf("  name list only (an attribute query each): %8.1f ms\n", names * 1000);
    std::printf("Windows 11 menu, the same files as an item array:\n");
    std::printf("  a copy command's state (every item read): %8.1f ms\n", state * 1000);
    std::printf("  Invoke's intake (paths and kinds):        %8.1f ms\n", intake * 1000);
    ::CoUninitialize();
    return 0;
}
