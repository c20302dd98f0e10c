// The checksum file writer on real files, the clipboard's text read in place
// within its bound, and the verification report as a clipboard block.

#include "job/file_name_case.h"
#include "output/checksum_file_writer.h"
#include "output/clipboard_text_view.h"
#include "output/text_block_allocation.h"
#include "output/verify_report_block.h"
#include "output_job.h"
#include "support/clipboard_reader.h"
#include "support/recording_report.h"
#include "support/scratch_folder.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

namespace lumbrix::test {
namespace {

using Writer = ChecksumFileWriter;

ChecksumDigest Digest(const std::wstring& hex)
{
    ChecksumDigest digest;
    EXPECT_TRUE(ParseHexDigest(hex, digest));
    return digest;
}

std::size_t EntriesIn(const std::wstring& folder)
{
    WIN32_FIND_DATAW found;
    const HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
    std::size_t count = 0;
    for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = ::FindNextFileW(find, &found))
        count += std::wstring_view(found.cFileName) != L"." && std::wstring_view(found.cFileName) != L"..";
    if (find != INVALID_HANDLE_VALUE) ::FindClose(find);
    return count;
}

TEST(ChecksumFileWriter, ACancelLeavesTheOldListAndACommitLeavesOnlyTheLines)
{
    ScratchFolder scratch;
    const std::wstring target = scratch.AddFile(L"List.sha256", "old");
    const ChecksumDigest digest = Digest(std::wstring(64, L'A'));
    const std::string hex(64, 'a');
    for (const bool commit : {false, true}) {
        Writer writer;
        ASSERT_TRUE(writer.Create(target, ChecksumAlgorithm::Sha256));
        EXPECT_EQ(writer.Add(scratch / L"sub\\a b.txt", digest), Writer::AddResult::Listed);
        EXPECT_EQ(writer.Add(scratch / L"LIST.SHA256", digest), Writer::AddResult::SkippedList);
        EXPECT_EQ(writer.Add(scratch / L"bad\xD800.txt", digest), Writer::AddResult::NotListable);
        EXPECT_EQ(writer.Add(L"D:\\elsewhere\\x", digest), Writer::AddResult::Listed);
        EXPECT_EQ(writer.Add(scratch / L"x", Digest(std::wstring(32, L'0'))), Writer::AddResult::Failed)
            << "a digest of another algorithm";
        EXPECT_EQ(EntriesIn(scratch.path()), 2u) << "the list and the temporary file beside it";
        if (commit)
            EXPECT_FALSE(writer.Commit()) << "a writer that failed never replaces the list";
        else
            writer.Discard();
        EXPECT_EQ(ReadFileBytes(target), "old");
        EXPECT_EQ(EntriesIn(scratch.path()), 1u) << "no temporary file is left";
    }
    {
        Writer writer;
        ASSERT_TRUE(writer.Create(target, ChecksumAlgorithm::Sha256));
        writer.Add(scratch / L"sub\\a b.txt", digest);
        writer.Add(L"D:\\elsewhere\\x", digest);
        ASSERT_TRUE(writer.Commit());
    }
    EXPECT_EQ(ReadFileBytes(target), hex + "  sub/a b.txt\n" + hex + "  D:\\elsewhere\\x\n");
    EXPECT_EQ(EntriesIn(scratch.path()), 1u);
    {
        Writer abandoned; // ended without Commit: as a cancel
        ASSERT_TRUE(abandoned.Create(scratch / L"new.sfv", ChecksumAlgorithm::Crc32));
    }
    EXPECT_FALSE(FileExists(scratch / L"new.sfv"));
    EXPECT_EQ(EntriesIn(scratch.path()), 1u);
}

TEST(ChecksumFileWriter, ManyLinesAndAListHeldByAnotherProgram)
{
    ScratchFolder scratch;
    Writer writer;
    ASSERT_TRUE(writer.Create(scratch / L"many.sfv", ChecksumAlgorithm::Crc32));
    std::string expected;
    for (int i = 0; i < 20000; ++i) {
        ASSERT_EQ(writer.Add(scratch / (L"folder\\file " + std::to_wstring(i)), Digest(L"0badF00d")),
                  Writer::AddResult::Listed);
        expected += "folder/file " + std::to_string(i) + " 0BADF00D\n";
    }
    ASSERT_TRUE(writer.Commit());
    EXPECT_EQ(ReadFileBytes(scratch / L"many.sfv"), expected);

    const std::wstring held = scratch.AddFile(L"held.md5", "old");
    const HANDLE keeper = ::CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(keeper, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(writer.Create(held, ChecksumAlgorithm::Md5));
    EXPECT_EQ(::GetLastError(), DWORD(ERROR_SHARING_VIOLATION));
    ::CloseHandle(keeper);
    EXPECT_EQ(ReadFileBytes(held), "old");
}

// Puts a block of units without a terminating NUL on the clipboard.
void PutUnterminated(const std::wstring& units)
{
    const HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, units.size() * sizeof(wchar_t));
    ASSERT_NE(block, nullptr);
    std::memcpy(::GlobalLock(block), units.data(), units.size() * sizeof(wchar_t));
    ::GlobalUnlock(block);
    ASSERT_TRUE(::OpenClipboard(nullptr));
    ::EmptyClipboard();
    ASSERT_NE(::SetClipboardData(CF_UNICODETEXT, block), nullptr);
    ::CloseClipboard();
}

TEST(ClipboardTextView, InPlaceToTheFirstNulAndCutAfterAWholeLineBeyondItsBound)
{
    test::RecordingReport keepTrying;
    ASSERT_TRUE(WriteClipboard(L"abc"));
    {
        const ClipboardTextView view(keepTrying);
        ASSERT_TRUE(view.Opened());
        EXPECT_EQ(view.Text(), L"abc");
        EXPECT_FALSE(view.Cut());
    }
    PutUnterminated(std::wstring(L"xyz\0junk", 8));
    EXPECT_EQ(ClipboardTextView(keepTrying).Text(), L"xyz");

    std::wstring huge;
    huge.reserve(ClipboardTextView::kMostUnits + 64);
    while (huge.size() < ClipboardTextView::kMostUnits + 32) huge += L"0123456789abc\r\n";
    PutUnterminated(huge);
    {
        const ClipboardTextView view(keepTrying);
        EXPECT_TRUE(view.Cut());
        EXPECT_LE(view.Text().size(), ClipboardTextView::kMostUnits);
        EXPECT_EQ(view.Text().substr(view.Text().size() - 14), L"0123456789abc\r") << "no part of a line";
    }
    ASSERT_TRUE(ClearClipboard());
    EXPECT_TRUE(ClipboardTextView(keepTrying).Text().empty());
}

HGLOBAL WINAPI RefuseBlock(UINT, SIZE_T) { return nullptr; }

TEST(VerifyReportBlock, TheReportAndANulOrNothingWithoutMemory)
{
    ChecksumStore store;
    store.Add(L"C:\\d\\\x65E5.iso", Digest(std::wstring(8, L'0')), true);
    store.SetStatus(0, VerifyStatus::Mismatch);
    store.AddNotListed(L"C:\\d\\extra");
    const VerifyStatusTexts texts = {L"", L"\x4E00\x81F4", L"\x4E0D\x4E00\x81F4", L"", L"", L"NL", L""};
    textBlockAllocatorForTesting = &RefuseBlock;
    EXPECT_FALSE(BuildVerifyReportBlock(store, texts, false));
    textBlockAllocatorForTesting = nullptr;
    const UniqueHGlobal block = BuildVerifyReportBlock(store, texts, true);
    ASSERT_TRUE(block);
    GlobalLock lock(block.get());
    EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(lock.data())),
              L"\x4E0D\x4E00\x81F4\tC:\\d\\\x65E5.iso\r\nNL\tC:\\d\\extra\r\n");
}

} // namespace
} // namespace lumbrix::test
