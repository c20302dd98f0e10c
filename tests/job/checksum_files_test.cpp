// Checksum lists against real files under Wine: names folded by the system's
// table, a list in the save fallback's form read from disk, and entries
// verified through the hashing pass, as the verify command runs them.

#include "hash/sha256.h"
#include "job/checksum_list_file.h"
#include "job/copy_results.h"
#include "job/file_name_case.h"
#include "job/hashing_pass.h"
#include "job/verify_file_status.h"
#include "job/verify_outcome.h"
#include "settings/output_options.h"
#include "support/recording_report.h"
#include "support/scratch_folder.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace lumbrix {
namespace {

using test::ScratchFolder;

std::string Sha256Hex(std::string_view bytes)
{
    Sha256 sha256;
    sha256.Init();
    sha256.Update(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    wchar_t hex[65];
    sha256.HexDigest(hex);
    return std::string(hex, hex + 64);
}

std::string Utf16Bytes(std::wstring_view text)
{
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

TEST(FileNameCase, FoldsAsTheFileSystemDoesAndIgnoresNoCharacter)
{
    // Ärger, sigma and a full-width A against their other case.
    EXPECT_TRUE(FileNamesEqual(L"\x00C4rger \x03A3 \xFF21", L"\x00E4RGER \x03C3 \xFF41"));
    EXPECT_FALSE(FileNamesEqual(L"ab", L"a\x00AD" L"b")) << "the soft hyphen is a character of the name";
    EXPECT_FALSE(FileNamesEqual(L"strasse", L"stra\x00DF" L"e"));
    EXPECT_TRUE(IsPathBelow(L"C:\\DATA\\\x00C4\\x", L"c:\\data\\\x00E4"));
    EXPECT_FALSE(IsPathBelow(L"C:\\Data", L"C:\\Data"));
    EXPECT_EQ(FileNameHash(L"\x00C4.TXT"), FileNameHash(L"\x00E4.txt"));
}

TEST(ChecksumListFile, TheSaveFallbacksUtf16FormWithItsMarkAndCrLf)
{
    ScratchFolder folder;
    const std::wstring hex(64, L'a');
    const std::wstring list = folder.AddFile(
        L"list.sha256",
        "\xFF\xFE" + Utf16Bytes(L"; made elsewhere\r\n" + hex + L"  sub/\x65E5\x672C.txt\r\n" + hex +
                                L" *C:\\abs\\x\r\n\\\\srv\\share\\evil DEADBEEF\r\nnoise"));
    ChecksumStore store;
    const std::atomic<bool> running{true};
    ListFileCounts counts;
    ASSERT_EQ(ReadChecksumListFile(list, store, running, counts), ListFileOutcome::Read);
    EXPECT_EQ(counts.entries, 3u);
    EXPECT_EQ(counts.notUnderstood, 1u);
    std::wstring buffer;
    EXPECT_EQ(store.At(0, buffer).fullPath, folder.path() + L"\\sub\\\x65E5\x672C.txt");
    EXPECT_EQ(store.At(1, buffer).fullPath, L"C:\\abs\\x");
    EXPECT_EQ(store.Status(2), VerifyStatus::Unreadable) << "a network entry is never opened";

    ChecksumStore other;
    const std::atomic<bool> cancelled{false};
    EXPECT_EQ(ReadChecksumListFile(list, other, cancelled, counts), ListFileOutcome::Cancelled);
    EXPECT_EQ(ReadChecksumListFile(folder / L"none.sha256", other, running, counts), ListFileOutcome::Failed);
    EXPECT_EQ(::GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
}

TEST(VerifyThroughTheHashingPass, MatchChangedByteMissingNetworkAndLockedFile)
{
    ScratchFolder folder;
    folder.AddFile(L"same.bin", "same");
    const std::wstring changed = folder.AddFile(L"changed.bin", "original");
    const std::wstring locked = folder.AddFile(L"locked.bin", "locked");
    const std::wstring list = folder.AddFile(
        L"files.sha256", Sha256Hex("same") + "  same.bin\n" + Sha256Hex("original") + "  changed.bin\n" +
                             Sha256Hex("gone") + "  missing.bin\n" + Sha256Hex("same") + "  //server/share/same.bin\n" +
                             Sha256Hex("locked") + " *locked.bin\n");
    folder.AddFile(L"changed.bin", "0riginal");
    const HANDLE keeper = ::CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(keeper, INVALID_HANDLE_VALUE);

    ChecksumStore store;
    const std::atomic<bool> running{true};
    ListFileCounts counts;
    ASSERT_EQ(ReadChecksumListFile(list, store, running, counts), ListFileOutcome::Read);
    // Each entry that may be opened becomes a line of a job with that digest
    // alone; the pass reads each file once and its column gives the status.
    OutputOptions options;
    options[OutputSHA256] = true;
    CopyResults results;
    ChecksumStore::Reader reader(store);
    while (reader.Next())
        if (store.Status(reader.Entry().index) == VerifyStatus::Pending)
            results.lines.Append(reader.Entry().fullPath, reader.Entry().fullPath);
    test::RecordingReport report;
    ASSERT_TRUE(ComputeHashes(results, options, report));
    std::wstring buffer;
    for (const ResultLine& line : results.lines) {
        const std::size_t index = store.Find(line.text);
        ASSERT_NE(index, ChecksumStore::kNone);
        const std::wstring path(line.text);
        store.SetStatus(index, StatusFromColumns(store.At(index, buffer).expected, line.columns, path));
    }
    ::CloseHandle(keeper);

    const std::vector<VerifyStatus> expected = {VerifyStatus::Match, VerifyStatus::Mismatch, VerifyStatus::NotFound,
                                                VerifyStatus::Unreadable, VerifyStatus::Unreadable};
    ASSERT_EQ(store.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(store.Status(i), expected[i]) << i;
    EXPECT_EQ(StatusOfUnreadFile(folder.path()), VerifyStatus::NotFound) << "a folder is no file";
}

} // namespace
} // namespace lumbrix
