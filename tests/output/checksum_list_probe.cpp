// Writes a checksum file of each type for a tree of awkward names, the way the
// create command does: the selection expanded with its subfolders (files
// only), the one digest computed by the hashing pass, each line's column
// handed to the writer. checksum_tools_test.sh then checks the files with
// the tools that users check them with.
//   checksum_list_probe.exe FOLDER
// makes FOLDER\tree and writes tree.sha256, tree.sha1, tree.md5 and tree.sfv in
// it, in that order (each later list also lists the earlier ones). A stale
// tree.sha256 is there first and selected too: it must not list itself.

#include "job/checksum_file_lines.h"
#include "job/checksum_line.h"
#include "job/copy_request.h"
#include "job/copy_results.h"
#include "job/hashing_pass.h"
#include "job/selection_expansion.h"
#include "output/checksum_file_writer.h"
#include "support/recording_report.h"

#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace lumbrix;

void MakeFile(const std::wstring& path, const std::string& bytes)
{
    const std::wstring extended = L"\\\\?\\" + path;
    for (std::size_t at = extended.find(L'\\', 7); at != std::wstring::npos; at = extended.find(L'\\', at + 1))
        ::CreateDirectoryW(extended.substr(0, at).c_str(), nullptr);
    const HANDLE file =
        ::CreateFileW(extended.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
}

std::vector<std::wstring> ItemsIn(const std::wstring& folder)
{
    std::vector<std::wstring> items;
    WIN32_FIND_DATAW found;
    const HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
    for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = ::FindNextFileW(find, &found))
        if (std::wstring_view(found.cFileName) != L"." && std::wstring_view(found.cFileName) != L"..")
            items.push_back(folder + L"\\" + found.cFileName);
    if (find != INVALID_HANDLE_VALUE) ::FindClose(find);
    return items;
}

bool WriteList(const std::wstring& tree, ChecksumAlgorithm algorithm, OptionFlag flag)
{
    CopyRequest request;
    request.mode = FullPathWithSubfolders;
    request.options[OutputDirectory] = false;
    request.options[flag] = true;
    const std::vector<std::wstring> items = ItemsIn(tree);
    for (const std::wstring& item : items) request.selection.Insert(item);
    CopyResults results;
    test::RecordingReport report;
    ExpandSelection(request, results, report);
    if (!ComputeHashes(results, request.options, report)) return false;

    ChecksumFileWriter writer;
    const std::wstring target =
        tree + L"\\" + DefaultChecksumFileName(request.selection.First(), items.size(), algorithm);
    if (!writer.Create(target, algorithm)) return false;
    unsigned listed = 0, skipped = 0;
    for (const ResultLine& line : results.lines) {
        ChecksumDigest digest;
        if (!FindTaggedDigest(line.columns, algorithm, digest)) return false;
        switch (writer.Add(line.text, digest)) {
        case ChecksumFileWriter::AddResult::Listed: ++listed; break;
        case ChecksumFileWriter::AddResult::SkippedList: ++skipped; break;
        default: return false;
        }
    }
    std::printf("%ls: %u listed, %u skipped\n", target.c_str(), listed, skipped);
    return writer.Commit();
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2) return 2;
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const std::wstring tree = std::wstring(argv[1]) + L"\\tree";
    const std::wstring deep = L"\\long\\" + std::wstring(90, L'd') + L"\\" + std::wstring(90, L'e') + L"\\" +
                              std::wstring(90, L'f') + L"\\deep file.txt";
    MakeFile(tree + L"\\a b.txt", "spaces\n");
    MakeFile(tree + L"\\\x65E5\x672C\x8A9E \x30D5\x30A1\x30A4\x30EB.txt", "Japanese\n");
    MakeFile(tree + L"\\emoji \xD83D\xDE00.bin", std::string(100000, '\x7F'));
    MakeFile(tree + L"\\sub\\inner.dat", "inner");
    MakeFile(tree + deep, "deep");
    MakeFile(tree + L"\\empty.txt", "");
    MakeFile(tree + L"\\tree.sha256", "stale\n");
    const bool written = WriteList(tree, ChecksumAlgorithm::Sha256, OutputSHA256) &&
                         WriteList(tree, ChecksumAlgorithm::Sha1, OutputSHA1) &&
                         WriteList(tree, ChecksumAlgorithm::Md5, OutputMD5) &&
                         WriteList(tree, ChecksumAlgorithm::Crc32, OutputCRC32);
    ::CoUninitialize();
    return written ? 0 : 1;
}
