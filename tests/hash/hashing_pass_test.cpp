// The hashing pass on jobs built here: columns and their order, failures,
// folders, the progress fields, cancellation, and that no thread or handle
// outlives a pass; then the pool of workers against one worker. Real files
// under Wine.

#include "support/process_census.h"

#include "common/unique_any.h"
#include "hash/crc32.h"
#include "hash/engine_paths.h"
#include "hash/md5.h"
#include "hash/sha1.h"
#include "hash/sha256.h"
#include "job/checksum_line.h"
#include "job/hashing_pass.h"
#include "job/selection_expansion.h"
#include "job/verify_pass.h"
#include "support/phase_job.h"
#include "support/scratch_folder.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <new>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

using lumbrix::HashingPassSettings;
using lumbrix::ProgressReport;
using lumbrix::StepHook;
using lumbrix::test::PhaseJob;
using lumbrix::test::ScratchFolder;

constexpr wchar_t kFailed[] = L"\t(ハッシュ取得失敗)";
// Opens, but its first read fails: Linux's /proc/self/mem through Wine's Z: drive.
constexpr wchar_t kUnreadableFile[] = L"Z:\\proc\\self\\mem";
constexpr wchar_t kEmptyColumns[] = L"\tCRC32:00000000\tMD5:D41D8CD98F00B204E9800998ECF8427E"
                                    L"\tSHA1:DA39A3EE5E6B4B0D3255BFEF95601890AFD80709";
constexpr wchar_t kDigitsColumns[] = L"\tCRC32:CBF43926\tMD5:25F9E794323B453885F5181F1B624D0B"
                                     L"\tSHA1:F7C3BC1D808E04732ADF679965CCC34CA7AE3441";
constexpr wchar_t kEmptySha256[] = L"\tSHA256:E3B0C44298FC1C149AFBF4C8996FB92427AE41E4649B934CA495991B7852B855";
constexpr wchar_t kDigitsSha256[] = L"\tSHA256:15E2B0D3C33891EBB0F1EF609EC419420C20E320CE94C65FBC8C3312448EB225";

using JobPtr = lumbrix::test::JobPointer;

JobPtr MakeJob(bool crc32, bool md5, bool sha1, bool sha256 = false)
{
    JobPtr job = lumbrix::test::NewPhaseJob();
    job->request.options[lumbrix::OutputCRC32] = crc32;
    job->request.options[lumbrix::OutputMD5] = md5;
    job->request.options[lumbrix::OutputSHA1] = sha1;
    job->request.options[lumbrix::OutputSHA256] = sha256;
    return job;
}

// As AddEntry leaves it: the line, the path to read, the size in the total.
void AddEntry(PhaseJob& job, const std::wstring& text, const std::wstring& path, std::int64_t size = 0)
{
    job.results.lines.Append(text, path);
    job.results.totalBytes += size;
}

std::vector<std::wstring> Lines(PhaseJob& job)
{
    std::vector<std::wstring> lines;
    for (const lumbrix::ResultLine& line : job.results.lines) lines.push_back(line.Text());
    return lines;
}

// The digests of a file computed here, engine by engine, in one piece each.
std::wstring ExpectedColumns(const std::wstring& path)
{
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    std::string bytes(::GetFileSize(file, nullptr), '\0');
    DWORD got = 0;
    ::ReadFile(file, bytes.data(), DWORD(bytes.size()), &got, nullptr);
    ::CloseHandle(file);
    lumbrix::Crc32 crc32;
    lumbrix::Md5 md5;
    lumbrix::Sha1 sha1;
    lumbrix::Sha256 sha256;
    crc32.Init();
    md5.Init();
    sha1.Init();
    sha256.Init();
    crc32.Update(bytes.data(), got);
    md5.Update(bytes.data(), got);
    sha1.Update(bytes.data(), got);
    sha256.Update(bytes.data(), got);
    wchar_t hex[65];
    std::wstring columns = L"\tCRC32:" + std::wstring(crc32.HexDigest(hex));
    columns += L"\tMD5:" + std::wstring(md5.HexDigest(hex));
    columns += L"\tSHA1:" + std::wstring(sha1.HexDigest(hex));
    return columns + L"\tSHA256:" + sha256.HexDigest(hex);
}

class HashingPass : public ::testing::Test {
protected:
    // workers 1 where the order of chunks across files matters.
    bool Run(PhaseJob& job, void (*afterChunk)(ProgressReport&, void*) = nullptr, void* context = nullptr,
             unsigned workers = 0)
    {
        HashingPassSettings settings;
        settings.afterChunk = StepHook{afterChunk, context};
        settings.workers = workers;
        return lumbrix::ComputeHashes(job.results, job.request.options, job.report, settings);
    }

    ScratchFolder folder_;
};

TEST_F(HashingPass, EachOptionAloneAppendsOnlyItsColumn)
{
    const std::wstring path = folder_.AddFile(L"digits.txt", "123456789");
    const struct {
        bool crc32, md5, sha1, sha256;
        const wchar_t* columns;
    } cases[] = {
        {true, false, false, false, L"\tCRC32:CBF43926"},
        {false, true, false, false, L"\tMD5:25F9E794323B453885F5181F1B624D0B"},
        {false, false, true, false, L"\tSHA1:F7C3BC1D808E04732ADF679965CCC34CA7AE3441"},
        {false, false, false, true, kDigitsSha256},
    };
    for (const auto& c : cases) {
        JobPtr job = MakeJob(c.crc32, c.md5, c.sha1, c.sha256);
        AddEntry(*job, L"digits.txt", path, 9);
        ASSERT_TRUE(Run(*job));
        EXPECT_EQ(Lines(*job), std::vector<std::wstring>{L"digits.txt" + std::wstring(c.columns)});
    }
}

TEST_F(HashingPass, AllFourFollowTheSizeColumnInFixedOrder)
{
    const std::wstring path = folder_.AddFile(L"digits.txt", "123456789");
    JobPtr job = MakeJob(true, true, true, true);
    const std::wstring line = path + L"\t9 bytes";
    AddEntry(*job, line, path, 9);
    ASSERT_TRUE(Run(*job));
    EXPECT_EQ(Lines(*job), std::vector<std::wstring>{line + kDigitsColumns + kDigitsSha256});
}

TEST_F(HashingPass, EmptyFileGetsTheDigestsOfEmptyInput)
{
    JobPtr job = MakeJob(true, true, true, true);
    AddEntry(*job, L"empty", folder_.AddFile(L"empty"));
    ASSERT_TRUE(Run(*job));
    EXPECT_EQ(Lines(*job), std::vector<std::wstring>{L"empty" + std::wstring(kEmptyColumns) + kEmptySha256});
    EXPECT_EQ(job->report.Position(), 65535u);
}

TEST_F(HashingPass, FolderGetsNoColumnAndUnreadableFilesOneFailureColumn)
{
    const std::wstring locked = folder_.AddFile(L"locked.txt", "data");
    HANDLE lock = ::CreateFileW(locked.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    JobPtr job = MakeJob(true, true, true, true);
    AddEntry(*job, L"a folder", folder_.AddFolder(L"sub"));
    AddEntry(*job, L"b locked", locked, 4);
    AddEntry(*job, L"c missing", folder_ / L"missing.txt");
    AddEntry(*job, L"d digits", folder_.AddFile(L"digits.txt", "123456789"), 9);
    // Readable, but its data would have to be downloaded first: not read, and counted.
    const std::wstring online = folder_.AddFile(L"online.txt", "123456789");
    job->results.lines.Append(L"e online", online, false, /*onlineOnly=*/true);
    const bool finished = Run(*job);
    ::CloseHandle(lock);
    ASSERT_TRUE(finished);
    EXPECT_EQ(Lines(*job), (std::vector<std::wstring>{L"a folder", L"b locked" + std::wstring(kFailed),
                                                      L"c missing" + std::wstring(kFailed),
                                                      L"d digits" + std::wstring(kDigitsColumns) + kDigitsSha256,
                                                      L"e online" + std::wstring(kFailed)}));
    EXPECT_EQ(job->results.onlineOnlyFiles, 1u);
    EXPECT_EQ(job->results.firstOnlineOnlyFile, online);
}

// The user may rename or delete a file while it is read for its digests.
TEST_F(HashingPass, AFileBeingHashedCanBeRenamed)
{
    struct Rename {
        std::wstring from, to;
        bool tried = false, done = false;
    } rename{folder_.AddFileOfSize(L"big.bin", 4 << 20), folder_ / L"renamed.bin"};
    JobPtr job = MakeJob(true, true, true);
    AddEntry(*job, L"big", rename.from, 4 << 20);
    const auto renameOnce = [](ProgressReport&, void* context) {
        auto& rename = *static_cast<Rename*>(context);
        if (std::exchange(rename.tried, true)) return;
        rename.done = ::MoveFileW(rename.from.c_str(), rename.to.c_str()) != FALSE;
    };
    ASSERT_TRUE(Run(*job, renameOnce, &rename, 1));
    EXPECT_TRUE(rename.done) << "renamed after the first chunk";
    const std::wstring expected = ExpectedColumns(rename.to);
    EXPECT_EQ(Lines(*job), std::vector<std::wstring>{L"big" + expected.substr(0, expected.find(L"\tSHA256"))});
}

TEST_F(HashingPass, FileWhoseReadFailsGetsTheFailureColumnNotDigests)
{
    // The digests of the bytes before the failure (here: of no bytes) would
    // pass for the file's own.
    JobPtr job = MakeJob(true, true, true);
    AddEntry(*job, L"a unreadable", kUnreadableFile);
    AddEntry(*job, L"b digits", folder_.AddFile(L"digits.txt", "123456789"), 9);
    ASSERT_TRUE(Run(*job));
    EXPECT_EQ(Lines(*job), (std::vector<std::wstring>{L"a unreadable" + std::wstring(kFailed),
                                                      L"b digits" + std::wstring(kDigitsColumns)}));
}

TEST_F(HashingPass, ChunkedDigestsMatchTheEnginesFedInOnePiece)
{
    // Sizes around the chunk and around the size from which a helper thread
    // shares the work, in several combinations of options, and with SHA-256
    // on each path (which moves it between the threads).
    std::vector<std::wstring> paths;
    for (std::uint64_t size : {32767ull, 32768ull, 65536ull, 65537ull, 1048576ull + 123})
        paths.push_back(folder_.AddFileOfSize(L"f" + std::to_wstring(size), size));
    const bool options[][4] = {{true, true, true, true},  {false, true, true, false}, {true, true, false, false},
                               {true, false, true, false}, {false, false, true, true}, {true, false, false, true},
                               {false, true, false, true}, {true, true, true, true}};
    for (const auto& option : options) {
        const bool last = &option == &options[std::size(options) - 1];
        ASSERT_TRUE(lumbrix::UseSha256Path(last ? lumbrix::Sha256Path::Portable : lumbrix::BestSha256Path()));
        JobPtr job = MakeJob(option[0], option[1], option[2], option[3]);
        for (const std::wstring& path : paths) AddEntry(*job, path, path);
        ASSERT_TRUE(Run(*job));
        for (const lumbrix::ResultLine& line : job->results.lines) {
            const std::wstring text = line.Text();
            const std::wstring path = text.substr(0, text.find(L'\t'));
            const std::wstring all = ExpectedColumns(path);
            std::wstring expected = path;
            // Keep the wanted columns of the four, in their order.
            for (std::size_t at = 0, column = 0; at < all.size(); ++column) {
                const std::size_t next = std::min(all.find(L'\t', at + 1), all.size());
                if (option[column]) expected += all.substr(at, next - at);
                at = next;
            }
            EXPECT_EQ(text, expected);
        }
    }
    lumbrix::UseSha256Path(lumbrix::BestSha256Path());
}

struct ChunkLog {
    std::vector<std::wstring> details;
    std::vector<std::uint64_t> positions;
    std::size_t cancelAfter = 0; // clear running after this many chunks (0: never)
    SRWLOCK lock = SRWLOCK_INIT; // several workers may call at once
};

void LogChunk(ProgressReport& report, void* context)
{
    auto& log = *static_cast<ChunkLog*>(context);
    ::AcquireSRWLockExclusive(&log.lock);
    log.details.push_back(report.DetailText().c_str());
    log.positions.push_back(report.Position());
    if (log.details.size() == log.cancelAfter) report.Stop();
    ::ReleaseSRWLockExclusive(&log.lock);
}

TEST_F(HashingPass, DetailTextShowsTheShareOfTheFileAfterEachChunk)
{
    JobPtr job = MakeJob(false, true, false);
    AddEntry(*job, L"a.bin\t200,000 bytes", folder_.AddFileOfSize(L"a.bin", 200000), 200000);
    AddEntry(*job, L"b.bin", folder_.AddFileOfSize(L"b.bin", 200000), 200000);
    ChunkLog log;
    ASSERT_TRUE(Run(*job, LogChunk, &log, 1));
    ASSERT_EQ(log.details.size(), 8u);
    const std::vector<std::wstring> first(log.details.begin(), log.details.begin() + 4);
    EXPECT_EQ(first, (std::vector<std::wstring>{L"a.bin\t200,000 bytes (32.8%)", L"a.bin\t200,000 bytes (65.5%)",
                                               L"a.bin\t200,000 bytes (98.3%)", L"a.bin\t200,000 bytes (100.0%)"}));
    EXPECT_EQ(log.details[7], L"b.bin (100.0%)");
    // The position runs over both files on the fixed scale.
    EXPECT_EQ(log.positions, (std::vector<std::uint64_t>{10737, 21474, 32211, 32767, 43504, 54242, 64979, 65535}));
    EXPECT_STREQ(job->report.StatusText().c_str(), L"ハッシュを生成しています");
}

TEST_F(HashingPass, LineLongerThanTheProgressTextKeepsItsShareVisible)
{
    const std::wstring line(40000, L'x');
    JobPtr job = MakeJob(true, false, false);
    AddEntry(*job, line, folder_.AddFile(L"a.txt", "abc"), 3);
    ChunkLog log;
    ASSERT_TRUE(Run(*job, LogChunk, &log));
    ASSERT_EQ(log.details.size(), 1u);
    EXPECT_EQ(log.details[0], std::wstring(32767 - 9, L'x') + L" (100.0%)");
}

TEST_F(HashingPass, DataBeyondTheWalkedTotalKeepsTheBarWithinItsRange)
{
    // The walk counted 0 bytes for the first file (held open for writing then),
    // 1 byte for the second: the position never passes the end of the scale.
    JobPtr job = MakeJob(true, false, false);
    AddEntry(*job, L"a", folder_.AddFileOfSize(L"a", 100000), 0);
    AddEntry(*job, L"b", folder_.AddFile(L"b", "x"), 1);
    ChunkLog log;
    ASSERT_TRUE(Run(*job, LogChunk, &log, 1));
    EXPECT_EQ(log.positions, (std::vector<std::uint64_t>{65535, 65535, 65535}));

    JobPtr unsized = MakeJob(true, false, false);
    AddEntry(*unsized, L"a", folder_ / L"a", 0);
    ChunkLog unsizedLog;
    ASSERT_TRUE(Run(*unsized, LogChunk, &unsizedLog));
    EXPECT_EQ(unsizedLog.positions, (std::vector<std::uint64_t>{0, 0}));
    EXPECT_EQ(unsized->report.Position(), 65535u);
}

TEST_F(HashingPass, TotalCharsAreReadyForTheText)
{
    JobPtr job = MakeJob(true, true, true);
    AddEntry(*job, L"a", folder_.AddFile(L"a", "123456789"), 9);
    AddEntry(*job, L"b", folder_ / L"missing");
    AddEntry(*job, L"c", folder_.AddFolder(L"c"));
    job->results.totalChars = 12345;
    ASSERT_TRUE(Run(*job));
    std::uint64_t expected = 0;
    for (const lumbrix::ResultLine& line : job->results.lines) expected += line.Length() + 2;
    EXPECT_EQ(job->results.totalChars, expected);
    EXPECT_EQ(expected, (1 + 98 + 2) + (1 + 11 + 2) + (1 + 2));
}

TEST_F(HashingPass, CancelledJobIsLeftAlone)
{
    JobPtr job = MakeJob(true, true, true);
    AddEntry(*job, L"a", folder_.AddFile(L"a", "123456789"), 9);
    job->report.Stop();
    EXPECT_FALSE(Run(*job));
    EXPECT_EQ(Lines(*job), std::vector<std::wstring>{L"a"});
    EXPECT_STREQ(job->report.StatusText().c_str(), L"");
}

TEST_F(HashingPass, CancelDuringALargeFileStopsAfterTheChunkInHand)
{
    const int threadsBefore = lumbrix::test::ThreadCount();
    JobPtr job = MakeJob(true, true, true);
    AddEntry(*job, L"a", folder_.AddFile(L"a", "123456789"), 9);
    AddEntry(*job, L"b", folder_.AddFileOfSize(L"b", 4 << 20), 4 << 20);
    AddEntry(*job, L"c", folder_.AddFile(L"c", "123456789"), 9);
    ChunkLog log;
    log.cancelAfter = 4; // a, then three chunks of b
    EXPECT_FALSE(Run(*job, LogChunk, &log, 1));
    EXPECT_EQ(log.details.size(), 4u);
    EXPECT_EQ(Lines(*job), (std::vector<std::wstring>{L"a" + std::wstring(kDigitsColumns), L"b", L"c"}));
    EXPECT_EQ(job->results.totalChars, 1u + 98 + 2);
    EXPECT_EQ(lumbrix::test::ThreadCount(), threadsBefore);
}

TEST_F(HashingPass, ExceptionOutOfThePassLeavesNoThreadBehind)
{
    // Running out of memory while a line grows ends the pass by an exception.
    JobPtr job = MakeJob(true, true, true);
    AddEntry(*job, L"big", folder_.AddFileOfSize(L"big", 2 << 20), 2 << 20);
    const int threadsBefore = lumbrix::test::ThreadCount();
    EXPECT_THROW(Run(*job, [](ProgressReport&, void*) { throw std::bad_alloc(); }), std::bad_alloc);
    EXPECT_EQ(lumbrix::test::ThreadCount(), threadsBefore);
}

TEST_F(HashingPass, CancelFromAnotherThreadEndsThePass)
{
    JobPtr job = MakeJob(true, true, true);
    AddEntry(*job, L"big", folder_.AddFileOfSize(L"big", 64 << 20), 64 << 20);
    const int threadsBefore = lumbrix::test::ThreadCount();
    // The first chunk waits until another thread has cancelled, as the Cancel
    // button's thread does: the cancel lands in the middle of the file.
    struct Handshake {
        lumbrix::UniqueHandle chunkDone{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
        lumbrix::UniqueHandle cancelled{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
        ProgressReport* report = nullptr;
    } handshake;
    handshake.report = &job->report;
    HANDLE canceller = ::CreateThread(
        nullptr, 0,
        [](void* context) -> DWORD {
            auto& handshake = *static_cast<Handshake*>(context);
            ::WaitForSingleObject(handshake.chunkDone.get(), INFINITE);
            handshake.report->Stop();
            ::SetEvent(handshake.cancelled.get());
            return 0;
        },
        &handshake, 0, nullptr);
    const auto firstChunkWaits = [](ProgressReport&, void* context) {
        auto& handshake = *static_cast<Handshake*>(context);
        if (::WaitForSingleObject(handshake.chunkDone.get(), 0) == WAIT_OBJECT_0) return;
        ::SetEvent(handshake.chunkDone.get());
        ::WaitForSingleObject(handshake.cancelled.get(), INFINITE);
    };
    EXPECT_FALSE(Run(*job, firstChunkWaits, &handshake));
    ::WaitForSingleObject(canceller, INFINITE);
    ::CloseHandle(canceller);
    EXPECT_EQ(Lines(*job), std::vector<std::wstring>{L"big"});
    EXPECT_LT(job->report.Position(), 65535u);
    EXPECT_EQ(lumbrix::test::ThreadCount(), threadsBefore);
}

TEST_F(HashingPass, OnlyTheFixedRangeReachesTheProgressWindow)
{
    JobPtr job = MakeJob(true, false, false);
    AddEntry(*job, L"a", folder_.AddFile(L"a", "abc"), 3);
    ASSERT_TRUE(Run(*job));
    EXPECT_EQ(job->report.Calls(), std::vector<std::wstring>{L"range 65535"}) << "only the range";
}

TEST_F(HashingPass, NoThreadOrHandleOutlivesManyPasses)
{
    std::vector<std::wstring> paths;
    for (int i = 0; i < 30; ++i) paths.push_back(folder_.AddFileOfSize(L"f" + std::to_wstring(i), 797 * i * i));
    paths.push_back(folder_ / L"missing");
    paths.push_back(folder_.AddFolder(L"folder"));
    auto pass = [&](std::size_t cancelAfter) {
        JobPtr job = MakeJob(true, true, true);
        for (const std::wstring& path : paths) AddEntry(*job, path, path);
        ChunkLog log;
        log.cancelAfter = cancelAfter;
        Run(*job, LogChunk, &log);
    };
    pass(0); // first use of everything the system sets up once
    const int threadsBefore = lumbrix::test::ThreadCount();
    const std::size_t handlesBefore = lumbrix::test::KernelHandleCount();
    for (int round = 0; round < 10; ++round) pass(round % 2 ? 0 : 5 + round);
    EXPECT_EQ(lumbrix::test::ThreadCount(), threadsBefore);
    EXPECT_EQ(lumbrix::test::KernelHandleCount(), handlesBefore);
}

// The pool: several workers give the text of one.

// A tree of random depth, sizes (around the chunk, up to past the size from
// which a file is shared) and bytes.
std::wstring MakeRandomTree(const ScratchFolder& scratch, const std::wstring& root, std::mt19937& random)
{
    static const std::uint32_t kSizes[] = {0, 1, 4096, 65535, 65536, 65537, 300000, 1 << 20, 3 << 20};
    std::vector<std::wstring> folders{root}; // relative to scratch
    for (int i = 0; i < 40; ++i) {
        const std::wstring parent = folders[random() % folders.size()];
        if (random() % 6 == 0) {
            folders.push_back(parent + L"\\d" + std::to_wstring(i));
            scratch.AddFolder(folders.back());
        }
        std::string bytes(kSizes[random() % 9] + random() % 3, '\0');
        for (char& byte : bytes) byte = char(random());
        scratch.AddFile(parent + L"\\f" + std::to_wstring(i), bytes);
    }
    return scratch / root;
}

TEST_F(HashingPass, PoolGivesTheTextOfOneWorkerOnRandomTrees)
{
    const bool options[][4] = {{true, true, true, true}, {false, true, false, false}, {true, false, true, false}};
    for (unsigned seed = 0; seed < 3; ++seed) {
        std::mt19937 random(seed);
        const std::wstring tree = MakeRandomTree(folder_, L"tree" + std::to_wstring(seed), random);
        std::vector<std::vector<std::wstring>> texts;
        std::vector<std::uint64_t> chars;
        for (unsigned workers : {1u, 2u, 5u}) {
            JobPtr job = MakeJob(options[seed][0], options[seed][1], options[seed][2], options[seed][3]);
            job->request.mode = lumbrix::FullPathWithSubfolders;
            job->request.options[lumbrix::OutputDirectory] = true;
            job->request.options[lumbrix::OutputSize] = true;
            job->request.selection.Insert(tree);
            lumbrix::ExpandSelection(job->request, job->results, job->report);
            ASSERT_TRUE(Run(*job, nullptr, nullptr, workers));
            texts.push_back(Lines(*job));
            chars.push_back(job->results.totalChars);
        }
        EXPECT_GT(texts[0].size(), 40u);
        EXPECT_EQ(texts[1], texts[0]);
        EXPECT_EQ(texts[2], texts[0]);
        EXPECT_EQ(chars, std::vector<std::uint64_t>(3, chars[0]));
    }
}

TEST_F(HashingPass, FileFailingAmongManyGetsItsMarkAndTheRestTheirDigests)
{
    JobPtr job = MakeJob(true, true, true, true);
    for (int i = 0; i < 40; ++i) {
        const std::wstring path = folder_.AddFileOfSize(L"f" + std::to_wstring(100 + i), 3000 * i * i);
        AddEntry(*job, path, path, 3000 * i * i);
    }
    AddEntry(*job, folder_ / L"f120 unreadable", kUnreadableFile);
    ChunkLog log;
    ASSERT_TRUE(Run(*job, LogChunk, &log, 4));
    for (const std::wstring& line : Lines(*job)) {
        const std::wstring path = line.substr(0, line.find(L'\t'));
        EXPECT_EQ(line, path + (path == folder_ / L"f120 unreadable" ? kFailed : ExpectedColumns(path)));
    }
    // The bytes of every worker move one bar, which never goes back.
    EXPECT_TRUE(std::is_sorted(log.positions.begin(), log.positions.end()));
    EXPECT_EQ(log.positions.back(), 65535u);
}

TEST_F(HashingPass, CancelDuringAManyFilePassStopsEveryWorkerAfterTheChunkInHand)
{
    std::vector<std::wstring> paths;
    for (int i = 0; i < 200; ++i) paths.push_back(folder_.AddFileOfSize(L"f" + std::to_wstring(1000 + i), 256 << 10));
    const std::wstring columns = ExpectedColumns(paths[0]);
    constexpr unsigned kWorkers = 4;
    // Cancelled by the worker whose chunk first moves the bar past a quarter;
    // each other worker may still finish the chunk it holds, none takes another.
    struct Cancel {
        SRWLOCK lock = SRWLOCK_INIT;
        bool cancelled = false;
        unsigned chunksAfter = 0;
    };
    const auto cancelAtAQuarter = [](ProgressReport& report, void* context) {
        auto& cancel = *static_cast<Cancel*>(context);
        ::AcquireSRWLockExclusive(&cancel.lock);
        if (cancel.cancelled)
            ++cancel.chunksAfter;
        else if (report.Position() >= 16384)
            cancel.cancelled = report.Stop();
        ::ReleaseSRWLockExclusive(&cancel.lock);
    };
    for (int round = 0; round < 2; ++round) { // the first sets up what the system makes once
        const int threadsBefore = lumbrix::test::ThreadCount();
        const std::size_t handlesBefore = lumbrix::test::KernelHandleCount();
        JobPtr job = MakeJob(true, true, true, true);
        for (const std::wstring& path : paths) AddEntry(*job, path, path, 256 << 10);
        Cancel cancel;
        EXPECT_FALSE(Run(*job, cancelAtAQuarter, &cancel, kWorkers));
        EXPECT_TRUE(cancel.cancelled);
        EXPECT_LT(cancel.chunksAfter, kWorkers);
        std::size_t done = 0;
        for (const lumbrix::ResultLine& line : job->results.lines) {
            const std::wstring text = line.Text();
            const std::wstring path = text.substr(0, text.find(L'\t'));
            done += text != path;
            EXPECT_TRUE(text == path || text == path + columns) << text;
        }
        EXPECT_GT(done, 0u);
        EXPECT_LT(done, paths.size());
        if (round == 0) continue;
        EXPECT_EQ(lumbrix::test::ThreadCount(), threadsBefore);
        EXPECT_EQ(lumbrix::test::KernelHandleCount(), handlesBefore);
    }
}

TEST_F(HashingPass, ExceptionOnAnotherWorkerComesOutOnTheCallersThread)
{
    JobPtr job = MakeJob(true, true, true);
    for (int i = 0; i < 8; ++i) {
        const std::wstring path = folder_.AddFileOfSize(L"f" + std::to_wstring(i), 1 << 20);
        AddEntry(*job, path, path, 1 << 20);
    }
    const int threadsBefore = lumbrix::test::ThreadCount();
    DWORD caller = ::GetCurrentThreadId();
    const auto throwElsewhere = [](ProgressReport&, void* caller) {
        if (::GetCurrentThreadId() != *static_cast<DWORD*>(caller)) throw std::bad_alloc();
    };
    EXPECT_THROW(Run(*job, throwElsewhere, &caller, 3), std::bad_alloc);
    EXPECT_EQ(lumbrix::test::ThreadCount(), threadsBefore);
}

TEST_F(HashingPass, LoneLargeFileSharesItsDigestsWithASecondThread)
{
    const std::wstring path = folder_.AddFileOfSize(L"big", 4 << 20);
    struct Census {
        int before;
        int most;
    };
    for (unsigned workers : {1u, 2u}) {
        JobPtr job = MakeJob(true, true, true, true);
        AddEntry(*job, path, path, 4 << 20);
        Census census{lumbrix::test::ThreadCount(), 0};
        const auto count = [](ProgressReport&, void* census) {
            auto& threads = *static_cast<Census*>(census);
            threads.most = std::max(threads.most, lumbrix::test::ThreadCount());
        };
        ASSERT_TRUE(Run(*job, count, &census, workers));
        EXPECT_EQ(Lines(*job), std::vector<std::wstring>{path + ExpectedColumns(path)});
        EXPECT_EQ(census.most, census.before + int(workers) - 1);
    }
}

// Verification through the same pass: each entry's file read once on the
// pool, with the engine of its own digest, and compared as bytes.
TEST_F(HashingPass, VerificationFindsTheFilesFirstThenComparesEachWithItsOwnDigest)
{
    using lumbrix::ChecksumAlgorithm;
    using lumbrix::VerifyStatus;
    const ChecksumAlgorithm algorithms[] = {ChecksumAlgorithm::Crc32, ChecksumAlgorithm::Md5,
                                            ChecksumAlgorithm::Sha1, ChecksumAlgorithm::Sha256};
    lumbrix::ChecksumStore store;
    std::vector<VerifyStatus> expected;
    std::int64_t bytes = 0;
    for (int i = 0; i < 24; ++i) {
        const std::wstring path = folder_.AddFileOfSize(L"v" + std::to_wstring(i), 70000 * i);
        lumbrix::ChecksumDigest digest;
        ASSERT_TRUE(lumbrix::FindTaggedDigest(ExpectedColumns(path), algorithms[i % 4], digest));
        if (i % 3 == 0) digest.bytes[0] ^= 1;
        store.Add(path, digest, true);
        expected.push_back(i % 3 == 0 ? VerifyStatus::Mismatch : VerifyStatus::Match);
        bytes += 70000 * i;
    }
    lumbrix::ChecksumDigest any;
    any.algorithm = ChecksumAlgorithm::Md5;
    for (const std::wstring& path : {folder_ / L"gone", folder_.path(), std::wstring(kUnreadableFile)})
        store.Add(path, any, true);
    expected.insert(expected.end(), {VerifyStatus::NotFound, VerifyStatus::NotFound, VerifyStatus::Unreadable});

    JobPtr job = MakeJob(false, false, false);
    lumbrix::VerifyPlan plan;
    ASSERT_TRUE(lumbrix::LocateVerifyFiles(store, job->report, plan));
    EXPECT_EQ(plan.files, 25u) << "the missing file and the folder are not read";
    EXPECT_EQ(store.Status(24), VerifyStatus::NotFound);
    ChunkLog log;
    HashingPassSettings settings;
    settings.workers = 4;
    settings.afterChunk = StepHook{LogChunk, &log};
    ASSERT_TRUE(lumbrix::VerifyEntries(store, plan, job->report, settings));
    for (std::size_t i = 0; i < store.size(); ++i) EXPECT_EQ(store.Status(i), expected[i]) << "entry " << i;
    EXPECT_TRUE(std::is_sorted(log.positions.begin(), log.positions.end()));
    EXPECT_EQ(job->report.Position(), 65535u);
    EXPECT_GE(plan.totalBytes, bytes);
}

} // namespace
