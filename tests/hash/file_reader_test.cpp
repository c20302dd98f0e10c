// The double-buffered file readers: the per-file AsyncFileReader and the
// PersistentFileReader that keeps its thread, against real files under Wine.

#include "debug_output_capture.h"
#include "support/process_census.h"

#include "async_file_reader.h"
#include "hash/hashed_file.h"
#include "hash/persistent_file_reader.h"
#include "support/scratch_folder.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace {

using lumbrix::test::DebugOutputCapture;
using lumbrix::test::ScratchFolder;
using lumbrix::test::SystemText;

constexpr std::uint32_t kChunk = 65536;

// A file that opens but whose first read fails: Linux's /proc/self/mem through
// Wine's Z: drive (nothing is mapped at address 0).
constexpr wchar_t kUnreadableFile[] = L"Z:\\proc\\self\\mem";

std::string FileBytes(const std::wstring& path)
{
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    while (::ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got) bytes.append(buffer, got);
    ::CloseHandle(file);
    return bytes;
}

// Every chunk size Read returns until the first 0, and the bytes delivered.
template <typename Reader>
std::vector<std::uint32_t> ReadAll(Reader& reader, std::string* bytes = nullptr)
{
    std::vector<std::uint32_t> sizes;
    std::vector<char> buffer(kChunk);
    for (std::uint32_t size; (size = reader.Read(buffer.data())) != 0;) {
        sizes.push_back(size);
        if (bytes) bytes->append(buffer.data(), size);
        if (sizes.size() > 1000) break;
    }
    return sizes;
}

template <typename Reader>
class FileReader : public ::testing::Test {
protected:
    ScratchFolder folder_;
    Reader reader_;
};

using ReaderKinds = ::testing::Types<lumbrix::AsyncFileReader, lumbrix::PersistentFileReader>;
TYPED_TEST_SUITE(FileReader, ReaderKinds);

TYPED_TEST(FileReader, EmptyFileOpensWithSizeZeroAndNoData)
{
    this->reader_.Open(this->folder_.AddFile(L"empty.bin"), kChunk);
    ASSERT_TRUE(this->reader_.IsOpen());
    EXPECT_EQ(this->reader_.FileSize(), 0u);
    EXPECT_TRUE(ReadAll(this->reader_).empty());
}

TYPED_TEST(FileReader, ChunkBoundariesFollowTheFileSize)
{
    const std::vector<std::pair<std::uint64_t, std::vector<std::uint32_t>>> cases = {
        {1, {1}},
        {65535, {65535}},
        {65536, {65536}},
        {65537, {65536, 1}},
        {200000, {65536, 65536, 65536, 3392}},
    };
    for (const auto& [size, chunks] : cases) {
        const std::wstring path = this->folder_.AddFileOfSize(L"f" + std::to_wstring(size), size);
        this->reader_.Open(path, kChunk);
        ASSERT_TRUE(this->reader_.IsOpen()) << size;
        EXPECT_EQ(this->reader_.FileSize(), size);
        std::string bytes;
        EXPECT_EQ(ReadAll(this->reader_, &bytes), chunks) << size;
        EXPECT_EQ(bytes, FileBytes(path)) << size;
        this->reader_.Close();
    }
}

TYPED_TEST(FileReader, ReadAfterTheEndKeepsReturningZero)
{
    this->reader_.Open(this->folder_.AddFile(L"small.txt", "123456789"), kChunk);
    EXPECT_EQ(ReadAll(this->reader_), std::vector<std::uint32_t>{9});
    char buffer[kChunk];
    for (int i = 0; i < 3; ++i) EXPECT_EQ(this->reader_.Read(buffer), 0u);
}

TYPED_TEST(FileReader, FolderDoesNotOpenAndTracesCreateFile)
{
    const std::wstring path = this->folder_.AddFolder(L"sub");
    DebugOutputCapture capture;
    this->reader_.Open(path, kChunk);
    EXPECT_FALSE(this->reader_.IsOpen());
    const std::wstring text = capture.Text();
    EXPECT_EQ(text.rfind(L"CreateFile(): ", 0), 0u) << text;
    EXPECT_NE(text.find(path + L"\r\n"), std::wstring::npos) << text;
    char buffer[16];
    EXPECT_EQ(this->reader_.Read(buffer), 0u);
}

TYPED_TEST(FileReader, FileLockedWithoutReadSharingTracesTheSystemText)
{
    const std::wstring path = this->folder_.AddFile(L"locked.txt", "data");
    HANDLE lock = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    DebugOutputCapture capture;
    this->reader_.Open(path, kChunk);
    ::CloseHandle(lock);
    EXPECT_FALSE(this->reader_.IsOpen());
    EXPECT_EQ(capture.Text(), L"CreateFile(): " + SystemText(ERROR_SHARING_VIOLATION) + path + L"\r\n");
}

TYPED_TEST(FileReader, MissingFileDoesNotOpen)
{
    DebugOutputCapture capture;
    this->reader_.Open(this->folder_ / L"missing.txt", kChunk);
    EXPECT_FALSE(this->reader_.IsOpen());
    EXPECT_EQ(this->reader_.FileSize(), 0u);
    EXPECT_EQ(capture.Text().rfind(L"CreateFile(): " + SystemText(ERROR_FILE_NOT_FOUND), 0), 0u);
}

TYPED_TEST(FileReader, FailedReadEndsTheDataAndIsToldApartFromTheEnd)
{
    this->reader_.Open(kUnreadableFile, kChunk);
    ASSERT_TRUE(this->reader_.IsOpen()) << "the test needs Wine's Z: drive";
    EXPECT_TRUE(ReadAll(this->reader_).empty());
    EXPECT_TRUE(this->reader_.ReadFailed());
    // The same object on a readable file: its end is no failure.
    this->reader_.Open(this->folder_.AddFile(L"a.txt", "abc"), kChunk);
    EXPECT_EQ(ReadAll(this->reader_), std::vector<std::uint32_t>{3});
    EXPECT_FALSE(this->reader_.ReadFailed());
}

TYPED_TEST(FileReader, CloseWhileTheThreadWaitsForARequestEndsIt)
{
    const int threadsBefore = lumbrix::test::ThreadCount();
    const std::wstring path = this->folder_.AddFileOfSize(L"big.bin", 5 * kChunk);
    {
        TypeParam reader;
        reader.Open(path, kChunk);
        ASSERT_TRUE(reader.IsOpen());
        char buffer[kChunk];
        EXPECT_EQ(reader.Read(buffer), kChunk);
        ::Sleep(50); // the next chunk is in and the thread waits for a request
        reader.Close();
        EXPECT_FALSE(reader.IsOpen());
        // Closing before the first Read as well.
        reader.Open(path, kChunk);
        reader.Close();
    }
    EXPECT_EQ(lumbrix::test::ThreadCount(), threadsBefore);
}

TYPED_TEST(FileReader, CloseRightAfterAReadNeverLosesItsWakeUp)
{
    // Close races with the thread taking the request that Read just made;
    // a lost wake-up would leave Close waiting forever (the test times out).
    const std::wstring path = this->folder_.AddFileOfSize(L"big.bin", 4 * kChunk);
    char buffer[kChunk];
    for (int i = 0; i < 200; ++i) {
        this->reader_.Open(path, kChunk);
        EXPECT_EQ(this->reader_.Read(buffer), kChunk);
        this->reader_.Close();
    }
}

TYPED_TEST(FileReader, CloseTwiceAndCloseAfterAFailedOpenAreHarmless)
{
    this->reader_.Close();
    this->reader_.Open(this->folder_ / L"missing.txt", kChunk);
    this->reader_.Close();
    this->reader_.Close();
    this->reader_.Open(this->folder_.AddFile(L"a.txt", "abc"), kChunk);
    this->reader_.Close();
    this->reader_.Close();
    EXPECT_FALSE(this->reader_.IsOpen());
}

TYPED_TEST(FileReader, ReopensAfterClose)
{
    const std::wstring first = this->folder_.AddFileOfSize(L"first.bin", 3 * kChunk);
    const std::wstring second = this->folder_.AddFile(L"second.txt", "second file");
    this->reader_.Open(first, kChunk);
    char buffer[kChunk];
    EXPECT_EQ(this->reader_.Read(buffer), kChunk); // gives up after one chunk
    this->reader_.Close();
    this->reader_.Open(second, kChunk);
    ASSERT_TRUE(this->reader_.IsOpen());
    EXPECT_EQ(this->reader_.FileSize(), 11u);
    std::string bytes;
    EXPECT_EQ(ReadAll(this->reader_, &bytes), std::vector<std::uint32_t>{11});
    EXPECT_EQ(bytes, "second file");
}

TYPED_TEST(FileReader, ReadsAPathBeyondMaxPath)
{
    std::wstring relative;
    while (relative.size() < 300) relative += L"folder-with-a-rather-long-name\\";
    const std::wstring path = this->folder_.AddFile(relative + L"deep.txt", "deep content");
    ASSERT_GT(path.size(), 260u);
    this->reader_.Open(path, kChunk);
    ASSERT_TRUE(this->reader_.IsOpen());
    EXPECT_EQ(this->reader_.FileSize(), 12u);
    std::string bytes;
    ReadAll(this->reader_, &bytes);
    EXPECT_EQ(bytes, "deep content");
}

TYPED_TEST(FileReader, ManyFilesLeaveNoThreadOrHandleBehind)
{
    std::vector<std::wstring> paths;
    for (int i = 0; i < 20; ++i) paths.push_back(this->folder_.AddFileOfSize(L"m" + std::to_wstring(i), 1000 * i));
    paths.push_back(this->folder_ / L"missing");
    const int threadsBefore = lumbrix::test::ThreadCount();
    const std::size_t handlesBefore = lumbrix::test::KernelHandleCount();
    ASSERT_GT(threadsBefore, 0);
    ASSERT_GT(handlesBefore, 0u);
    for (int round = 0; round < 5; ++round) {
        TypeParam reader;
        for (const std::wstring& path : paths) {
            reader.Open(path, kChunk);
            ReadAll(reader);
            reader.Close();
        }
    }
    EXPECT_EQ(lumbrix::test::ThreadCount(), threadsBefore);
    EXPECT_EQ(lumbrix::test::KernelHandleCount(), handlesBefore);
}

TEST(PersistentFileReader, ServesFileAfterFileWithOneThread)
{
    ScratchFolder folder;
    const int threadsBefore = lumbrix::test::ThreadCount();
    lumbrix::PersistentFileReader reader;
    for (int i = 0; i < 5; ++i) {
        reader.Open(folder.AddFileOfSize(L"f" + std::to_wstring(i), 70000), kChunk);
        EXPECT_EQ(ReadAll(reader), (std::vector<std::uint32_t>{65536, 4464}));
        reader.Close();
        EXPECT_EQ(lumbrix::test::ThreadCount(), threadsBefore + 1);
    }
}

TYPED_TEST(FileReader, SlowCallerStillGetsEveryByteInOrder)
{
    // Far more chunks than the persistent reader reads ahead, taken slowly
    // now and then, so that its thread fills the ring and sleeps.
    const std::wstring path = this->folder_.AddFileOfSize(L"long.bin", 40 * kChunk + 17);
    this->reader_.Open(path, kChunk);
    std::string bytes;
    std::vector<char> buffer(kChunk);
    int chunks = 0;
    for (std::uint32_t size; (size = this->reader_.Read(buffer.data())) != 0; ++chunks) {
        bytes.append(buffer.data(), size);
        if (chunks % 9 == 0) ::Sleep(5);
    }
    EXPECT_EQ(chunks, 41);
    EXPECT_TRUE(bytes == FileBytes(path));
}

struct ObservedChunks {
    std::string bytes;
    DWORD thread = 0;
    int calls = 0;
};

void ObserveChunk(void* context, const std::uint8_t* data, std::uint32_t size)
{
    auto& seen = *static_cast<ObservedChunks*>(context);
    seen.bytes.append(reinterpret_cast<const char*>(data), size);
    seen.thread = ::GetCurrentThreadId();
    ++seen.calls;
}

TEST(PersistentFileReader, ObserverSeesEveryChunkOnTheReaderThread)
{
    ScratchFolder folder;
    const std::wstring path = folder.AddFileOfSize(L"f.bin", 20 * kChunk + 5);
    lumbrix::PersistentFileReader reader;
    ObservedChunks seen;
    reader.Open(path, kChunk, ObserveChunk, &seen);
    std::string bytes;
    EXPECT_EQ(ReadAll(reader, &bytes).size(), 21u);
    EXPECT_EQ(seen.calls, 21);
    EXPECT_TRUE(seen.bytes == bytes);
    EXPECT_NE(seen.thread, ::GetCurrentThreadId());
}

TEST(PersistentFileReader, ObserverIsDoneWhenCloseReturns)
{
    ScratchFolder folder;
    const std::wstring path = folder.AddFileOfSize(L"f.bin", 64 * kChunk);
    lumbrix::PersistentFileReader reader;
    ObservedChunks seen;
    reader.Open(path, kChunk, ObserveChunk, &seen);
    char buffer[kChunk];
    EXPECT_EQ(reader.Read(buffer), kChunk);
    reader.Close();
    const int calls = seen.calls;
    EXPECT_LE(calls, int(1 + lumbrix::PersistentFileReader::kSlots));
    ::Sleep(20);
    EXPECT_EQ(seen.calls, calls);
}

TEST(PersistentFileReader, ContinuesAFileThatTheCallerBeganToRead)
{
    ScratchFolder folder;
    const std::wstring path = folder.AddFileOfSize(L"f.bin", 3 * kChunk + 5);
    std::uint64_t size = 0;
    lumbrix::UniqueFile file = lumbrix::OpenHashedFile(path, size);
    char head[1000];
    DWORD got = 0;
    ASSERT_TRUE(::ReadFile(file.get(), head, sizeof(head), &got, nullptr));
    lumbrix::PersistentFileReader reader;
    ObservedChunks seen;
    ASSERT_TRUE(reader.Continue(file, size, kChunk, ObserveChunk, &seen));
    EXPECT_FALSE(file.valid()); // the reader's now
    EXPECT_EQ(reader.FileSize(), 3u * kChunk + 5);
    std::string bytes(head, got);
    EXPECT_EQ(ReadAll(reader, &bytes), (std::vector<std::uint32_t>{65536, 65536, 65536 + 5 - 1000}));
    EXPECT_TRUE(bytes == FileBytes(path));
    EXPECT_TRUE(seen.bytes == bytes.substr(1000));
    lumbrix::UniqueFile none;
    EXPECT_FALSE(reader.Continue(none, 0, kChunk));
}

} // namespace
