// Timing program (not a test): the expansion of a tree (the walk, and the walk
// with the sorting of its lines), with and without the size column, against a
// bare walk of the same tree (best of rounds, interleaved), and the cost of
// adding and sorting 1,000,000 lines in the result list, under Wine.
//   expansion_benchmark [files-per-folder folders lines rounds]
// Prints times, line counts, private bytes and the peak working set.

#include "job/collation.h"
#include "job/collation_key.h"
#include "job/result_arrangement.h"
#include "job/selection_expansion.h"
#include "process_memory.h"
#include "shellext/copy_job.h"
#include "support/unix_links.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::wstring MakeTree(int folders, int filesPerFolder)
{
    wchar_t temp[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH + 1, temp);
    const std::wstring root = std::wstring(temp) + L"lumbrix-bench-" + std::to_wstring(::GetCurrentProcessId());
    ::CreateDirectoryW(root.c_str(), nullptr);
    for (int folder = 0; folder < folders; ++folder) {
        const std::wstring path = root + L"\\folder" + std::to_wstring(1000 + folder);
        ::CreateDirectoryW(path.c_str(), nullptr);
        for (int file = 0; file < filesPerFolder; ++file) {
            const std::wstring name = path + L"\\file " + std::to_wstring(folder * filesPerFolder + file) + L".txt";
            HANDLE handle = ::CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            if (handle != INVALID_HANDLE_VALUE) ::CloseHandle(handle);
        }
    }
    return root;
}

// The floor of an expansion: FindFirstFileExW (basic information, large
// fetch, as the walk asks) over the tree, each entry's full path built; no
// result list, no text. With keys, each path also gets the sort key that the
// result list orders its lines by. Returns milliseconds.
double TimeBareWalk(const std::wstring& root, std::size_t& paths, bool keys = false)
{
    const LCID locale = lumbrix::CollationLocale();
    std::string key;
    const auto start = Clock::now();
    std::vector<std::wstring> pending{root};
    std::size_t characters = 0;
    paths = 0;
    WIN32_FIND_DATAW entry;
    while (!pending.empty()) {
        const std::wstring folder = std::move(pending.back());
        pending.pop_back();
        HANDLE find = ::FindFirstFileExW((L"\\\\?\\" + folder + L"\\*").c_str(), FindExInfoBasic, &entry,
                                         FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
        if (find == INVALID_HANDLE_VALUE) continue;
        do {
            const wchar_t* name = entry.cFileName;
            if (name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0))) continue;
            std::wstring path = folder + L'\\' + name;
            characters += path.size();
            ++paths;
            if (keys) (void)lumbrix::MakeCollationKey(path, locale, key);
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) pending.push_back(std::move(path));
        } while (::FindNextFileW(find, &entry));
        ::FindClose(find);
    }
    if (characters == 0) std::printf("empty tree\n");
    return MillisecondsSince(start);
}

struct ExpansionTimes {
    double walk = 1e300;   // ExpandSelection: the lines found and stored
    double sorted = 1e300; // and ArrangeResults: the lines in order, without duplicates
};

ExpansionTimes TimeExpansion(const wchar_t* label, const std::wstring& selected, bool withSize)
{
    const lumbrix::CopyJobPointer job = lumbrix::CreateCopyJob();
    if (!job) return {};
    job->request.mode = lumbrix::FullPathWithSubfolders;
    job->request.options[lumbrix::OutputSize] = withSize;
    job->request.selection.Insert(selected);
    const ProcessMemory before = ProcessMemoryNow();
    const auto start = Clock::now();
    lumbrix::ExpandSelection(job->request, job->results, job->progress);
    ExpansionTimes times;
    times.walk = MillisecondsSince(start);
    (void)lumbrix::ArrangeResults(job->results.lines, job->progress);
    times.sorted = MillisecondsSince(start);
    const ProcessMemory after = ProcessMemoryNow();
    if (label)
        std::printf("%-36ls %6.0f ms + %5.0f ms sorting  %7zu lines  text %6.1f MiB  working set +%6.1f MiB  peak %6.1f MiB\n",
                    label, times.walk, times.sorted - times.walk, job->results.lines.size(),
                    job->results.totalChars * 2 / 1048576.0, (after.workingSet - before.workingSet) / kMiB,
                    after.peak / kMiB);
    return times;
}

// Best of rounds, the cases interleaved so that a busy moment of the machine
// does not fall on one of them only.
void CompareWithBareWalk(const std::wstring& tree, int rounds)
{
    double bare = 1e300, keyed = 1e300;
    ExpansionTimes plain, sized;
    std::size_t paths = 0;
    for (int round = 0; round < rounds; ++round) {
        bare = std::min(bare, TimeBareWalk(tree, paths));
        keyed = std::min(keyed, TimeBareWalk(tree, paths, true));
        const ExpansionTimes plainNow = TimeExpansion(nullptr, tree, false);
        const ExpansionTimes sizedNow = TimeExpansion(nullptr, tree, true);
        plain = {std::min(plain.walk, plainNow.walk), std::min(plain.sorted, plainNow.sorted)};
        sized = {std::min(sized.walk, sizedNow.walk), std::min(sized.sorted, sizedNow.sorted)};
    }
    std::printf("best of %d rounds, %zu paths below the selected folder:\n", rounds, paths);
    std::printf("  bare FindFirstFileExW walk building each full path   %6.0f ms\n", bare);
    std::printf("  the same and a sort key for each path                %6.0f ms  %.2f x the bare walk\n", keyed,
                keyed / bare);
    const auto row = [bare](const char* label, double ms) {
        std::printf("  %-52s %6.0f ms  %.2f x the bare walk\n", label, ms, ms / bare);
    };
    row("FullPathWithSubfolders, the walk", plain.walk);
    row("FullPathWithSubfolders, the walk and the sorting", plain.sorted);
    row("FullPathWithSubfolders + OutputSize, the walk", sized.walk);
    row("FullPathWithSubfolders + OutputSize, and the sorting", sized.sorted);
}

// Line i of a walk-shaped list: folder by folder, a hundred files each, the
// files in the unsorted order a listing may give them.
std::wstring WalkLikeLine(std::size_t index)
{
    const std::size_t folder = index / 101;
    const std::size_t file = index % 101;
    std::wstring line = L"C:\\Users\\someone\\Documents\\Projects\\folder" + std::to_wstring(folder * 7919 % 100003);
    if (file != 0) line += L"\\file name " + std::to_wstring((index * 2654435761u) % 1000000) + L".txt";
    return line;
}

template <typename Order>
void TimeInserts(const char* label, std::size_t count, Order order)
{
    double textMiB = 0;
    const lumbrix::CopyJobPointer job = lumbrix::CreateCopyJob();
    if (!job) return;
    const ProcessMemory before = ProcessMemoryNow();
    double elapsed = 0;
    for (std::size_t i = 0; i < count; ++i) {
        std::wstring line = WalkLikeLine(order(i));
        textMiB += (line.size() + 2) * 2 / 1048576.0;
        const auto start = Clock::now();
        job->results.lines.Append(line);
        elapsed += std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    }
    const ProcessMemory added = ProcessMemoryNow();
    const auto start = Clock::now();
    job->results.lines.Arrange();
    const double arranging = MillisecondsSince(start);
    const ProcessMemory after = ProcessMemoryNow();
    const double grown = (added.workingSet - before.workingSet) / kMiB;
    std::printf("%-36s %6.0f ms + %5.0f ms sorting  %7zu lines  %5.2f us/line  text %6.1f MiB  working set +%6.1f MiB "
                "(%.2f x text) added, +%6.1f MiB sorted, peak %6.1f MiB\n",
                label, elapsed, arranging, job->results.lines.size(), (elapsed + arranging) * 1000 / count, textMiB,
                grown, grown / textMiB, (after.workingSet - before.workingSet) / kMiB, after.peak / kMiB);
}

void TimeLstrcmpiSet(std::size_t count, const std::vector<std::uint32_t>& order)
{
    std::set<std::wstring, lumbrix::CaseInsensitiveLess> set;
    double elapsed = 0;
    for (std::size_t i = 0; i < count; ++i) {
        std::wstring line = WalkLikeLine(order[i]);
        const auto start = Clock::now();
        set.insert(std::move(line));
        elapsed += std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    }
    std::printf("%-36s %6.0f ms  %7zu lines  %5.2f us/line\n", "std::set with lstrcmpiW, random", elapsed, set.size(),
                elapsed * 1000 / count);
}

// What the loop check costs per folder below a link: one identity query.
void TimeIdentityQueries(const std::wstring& tree, int folders)
{
    const auto start = Clock::now();
    for (int folder = 0; folder < folders; ++folder) {
        const std::wstring path = L"\\\\?\\" + tree + L"\\folder" + std::to_wstring(1000 + folder);
        HANDLE handle = ::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        BY_HANDLE_FILE_INFORMATION information;
        if (handle != INVALID_HANDLE_VALUE) {
            ::GetFileInformationByHandle(handle, &information);
            ::CloseHandle(handle);
        }
    }
    std::printf("%-36s %6.0f ms  %7d folders  %5.1f us/folder\n", "folder identity queries", MillisecondsSince(start),
                folders, MillisecondsSince(start) * 1000 / folders);
}

} // namespace

int main(int argc, char** argv)
{
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const int filesPerFolder = argc > 1 ? std::atoi(argv[1]) : 100;
    const int folders = argc > 2 ? std::atoi(argv[2]) : 1000;
    const std::size_t lineCount = argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 1000000;
    const int rounds = argc > 4 ? std::max(1, std::atoi(argv[4])) : 5;

    auto start = Clock::now();
    const std::wstring tree = MakeTree(folders, filesPerFolder);
    std::printf("tree of %d files in %d folders made in %.0f ms\n", folders * filesPerFolder, folders,
                MillisecondsSince(start));
    TimeExpansion(L"warm-up (FullPathWithSubfolders)", tree, false);
    TimeExpansion(L"FullPathWithSubfolders", tree, false);
    TimeExpansion(L"FullPathWithSubfolders + OutputSize", tree, true);
    CompareWithBareWalk(tree, rounds);
    TimeIdentityQueries(tree, folders);
    const std::wstring link = tree + L"-link";
    ::CreateDirectoryW(link.c_str(), nullptr);
    if (lumbrix::test::MakeFolderLink(link + L"\\tree", tree)) {
        // Below a link every folder's identity is asked for (loop check).
        TimeExpansion(L"the same through a folder link", link, false);
        lumbrix::test::RemoveTreeQuickly(link);
    }
    lumbrix::test::RemoveTreeQuickly(tree);
    if (lineCount == 0) {
        ::CoUninitialize();
        return 0;
    }

    std::vector<std::uint32_t> shuffled(lineCount);
    for (std::size_t i = 0; i < lineCount; ++i) shuffled[i] = static_cast<std::uint32_t>(i);
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(2));
    TimeInserts("resultLines, walk order", lineCount, [](std::size_t i) { return i; });
    TimeInserts("resultLines, random order", lineCount, [&](std::size_t i) { return shuffled[i]; });
    const std::size_t sample = std::min<std::size_t>(100000, lineCount);
    TimeInserts("resultLines, 100,000 random", sample, [&](std::size_t i) { return shuffled[i]; });
    TimeLstrcmpiSet(sample, shuffled);
    ::CoUninitialize();
    return 0;
}
