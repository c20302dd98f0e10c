// Timing program (not a test): the cost per line of the path styles and the
// quotes, against the Windows style, on the paths of a 50,000-file walk. Each
// line is built as the line builder builds it (base and relative part joined
// in a reused buffer), then formed (the Windows style too, as the line builder
// calls the forms on every line); with --store it is also appended to a
// result list, as a copy keeps it. Best of rounds, styles interleaved.
//   path_style_bench [lines rounds] [--store]

#include "job/network_drive_names.h"
#include "job/path_styles.h"
#include "job/result_list.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace lumbrix;
using Clock = std::chrono::steady_clock;

// The network style's drive: Y: maps \\fs01\share\sub (no network here).
DWORD WINAPI MappedY(LPCWSTR local, LPWSTR remote, LPDWORD length)
{
    static const wchar_t kName[] = L"\\\\fs01\\share\\sub";
    if (local[0] != L'Y') return ERROR_NOT_CONNECTED;
    if (*length < std::size(kName)) return ERROR_MORE_DATA;
    std::memcpy(remote, kName, sizeof(kName));
    return NO_ERROR;
}

struct Variant {
    const char* name;
    PathStyle style;
    QuoteStyle quotes;
    bool formed = true; // false: the line as built before the forms existed
};

double TimeVariant(const Variant& variant, const std::wstring& base, const std::vector<std::wstring>& rels, bool store)
{
    NetworkDriveNames names;
    const ColumnForm form{variant.style, variant.quotes};
    ResultList list;
    std::wstring line;
    std::uint64_t totalChars = 0;
    const auto start = Clock::now();
    for (const std::wstring& rel : rels) {
        line.assign(base);
        line += L'\\';
        line += rel;
        if (variant.formed) FormPathColumn(line, ColumnKind::FullPath, false, form, &names);
        totalChars += line.size() + 2;
        if (store) list.Append(line);
    }
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    if (totalChars == 0) std::printf("no lines\n");
    return ms;
}

} // namespace

int main(int argc, char** argv)
{
    const int lines = argc > 1 ? std::atoi(argv[1]) : 50000;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 15;
    const bool store = argc > 3 && std::strcmp(argv[3], "--store") == 0;
    remoteNameQueryForTesting = &MappedY;

    // 500 folders of 100 files, named as the walk benchmark names them.
    std::vector<std::wstring> rels;
    for (int i = 0; i < lines; ++i)
        rels.push_back(L"bench\\folder" + std::to_wstring(1000 + i / 100) + L"\\file " + std::to_wstring(i) + L".txt");
    const Variant variants[] = {
        {"Windows", PathStyle::Windows, QuoteStyle::None},
        {"network (Y: mapped)", PathStyle::NetworkUnc, QuoteStyle::None},
        {"slashes", PathStyle::Slashes, QuoteStyle::None},
        {"WSL", PathStyle::Wsl, QuoteStyle::None},
        {"MSYS", PathStyle::Msys, QuoteStyle::None},
        {"Windows, quotes where needed", PathStyle::Windows, QuoteStyle::WhereNeeded},
        {"WSL, quotes always", PathStyle::Wsl, QuoteStyle::Always},
        {"no forms step (as before)", PathStyle::Windows, QuoteStyle::None, false},
    };
    const std::wstring localBase = L"C:\\Users\\someone\\Documents\\lumbrix-bench";
    const std::wstring mappedBase = L"Y:\\Users\\someone\\Documents\\lumbrix-bench";
    std::vector<double> best(std::size(variants), 1e300);
    for (int round = 0; round < rounds; ++round) {
        for (std::size_t v = 0; v < std::size(variants); ++v) {
            const std::wstring& base = variants[v].style == PathStyle::NetworkUnc ? mappedBase : localBase;
            best[v] = std::min(best[v], TimeVariant(variants[v], base, rels, store));
        }
    }
    std::printf("%d lines, best of %d rounds%s\n", lines, rounds, store ? ", each line appended to a result list" : "");
    std::printf("%-30s %10s %10s %8s\n", "style", "ms", "ns/line", "ratio");
    for (std::size_t v = 0; v < std::size(variants); ++v)
        std::printf("%-30s %10.2f %10.1f %8.2f\n", variants[v].name, best[v], best[v] * 1e6 / lines, best[v] / best[0]);
    return 0;
}
