// Reading checksum lists and writing their lines: the decoding of any bytes
// in any pieces, every line form, one pasted digest, where entries point, the
// compact store and the outcome. Built for Windows (run under Wine) and for
// Linux under the sanitizers, where names fold by ASCII alone and wchar_t
// holds one UTF-16 unit of 32 bits.

#include "hash/checksum_algorithm.h"
#include "job/checksum_file_lines.h"
#include "job/checksum_line.h"
#include "job/checksum_list_reader.h"
#include "job/checksum_store.h"
#include "job/entry_path.h"
#include "job/list_text_decoder.h"
#include "job/verify_outcome.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace lumbrix {
namespace {

using Algorithm = ChecksumAlgorithm;

const std::wstring kSha256 = L"e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855";
const std::wstring kSha1 = L"DA39A3EE5E6B4B0D3255BFEF95601890AFD80709";
const std::wstring kMd5 = L"d41d8cd98f00b204e9800998ecf8427e";

ChecksumDigest Digest(const std::wstring& hex)
{
    ChecksumDigest digest;
    EXPECT_TRUE(ParseHexDigest(hex, digest)) << hex.size();
    return digest;
}

struct Lines final : TextLineSink {
    std::vector<std::wstring> seen;
    std::size_t stopAfter = SIZE_MAX;
    bool Line(std::wstring_view line) override
    {
        seen.emplace_back(line);
        return seen.size() < stopAfter;
    }
};

std::vector<std::wstring> Decode(const std::string& bytes, std::size_t piece)
{
    ListTextDecoder decoder;
    Lines lines;
    for (std::size_t at = 0; at < bytes.size(); at += piece)
        decoder.Feed(reinterpret_cast<const std::uint8_t*>(bytes.data()) + at, std::min(piece, bytes.size() - at),
                     lines);
    decoder.Finish(lines);
    return lines.seen;
}

TEST(ChecksumAlgorithms, FromTagsHexLengthsAndListNames)
{
    EXPECT_EQ(AlgorithmFromName(L"sha-256"), Algorithm::Sha256);
    EXPECT_EQ(AlgorithmFromName(L"Sha1"), Algorithm::Sha1);
    EXPECT_EQ(AlgorithmFromName(L"crc32"), Algorithm::Crc32);
    EXPECT_EQ(AlgorithmFromName(L"SHA-512"), Algorithm::None);
    EXPECT_EQ(AlgorithmFromHexLength(40), Algorithm::Sha1);
    EXPECT_EQ(AlgorithmFromHexLength(63), Algorithm::None);
    const std::pair<const wchar_t*, Algorithm> names[] = {
        {L"C:\\Downloads\\a.iso.SHA256", Algorithm::Sha256}, {L"x.sha1.txt", Algorithm::Sha1},
        {L"release.md5", Algorithm::Md5},                     {L"disc.SFV", Algorithm::Crc32},
        {L"SHA256SUMS", Algorithm::Sha256},                   {L"sha1sums.TXT", Algorithm::Sha1},
        {L"tool-1.0-SHA256SUMS.txt", Algorithm::Sha256},      {L"MD5SUMS", Algorithm::Md5},
        {L"notes.txt", Algorithm::None},                      {L"XSHA256SUMS", Algorithm::None},
        {L"a.sha256.bak", Algorithm::None},                   {L"sha256", Algorithm::None},
        {L"dir.md5\\file", Algorithm::None}};
    for (const auto& [name, algorithm] : names) EXPECT_EQ(AlgorithmFromListName(name), algorithm) << name;
    ChecksumDigest digest;
    EXPECT_FALSE(ParseHexDigest(L"0123456g", digest));
    EXPECT_EQ(FormatHexDigest(Digest(L"DEADbeef"), false), L"deadbeef");
}

TEST(ListTextDecoder, EveryEncodingAndLineBreakInPiecesOfAnySize)
{
    // "日本" and an emoji (a surrogate pair) in each encoding.
    const std::vector<std::wstring> expected = {L"a b", L"\x65E5\x672C", L"", L"x\xD83D\xDE00", L"last"};
    const std::string utf8 = "a b\n\xE6\x97\xA5\xE6\x9C\xAC\r\n\rx\xF0\x9F\x98\x80\nlast";
    std::string utf16le = "\xFF\xFE";
    std::string utf16be = "\xFE\xFF";
    for (const wchar_t unit : std::wstring(L"a b\r\n\x65E5\x672C\r\n\r\nx\xD83D\xDE00\r\nlast")) {
        utf16le += {char(unit & 0xFF), char(unit >> 8)};
        utf16be += {char(unit >> 8), char(unit & 0xFF)};
    }
    for (const std::string& bytes : {utf8, "\xEF\xBB\xBF" + utf8, utf16le, utf16be})
        for (std::size_t piece : {1, 2, 3, 5, 64})
            EXPECT_EQ(Decode(bytes, piece), expected) << bytes.size() << " bytes in pieces of " << piece;
    EXPECT_EQ(Decode("one\rtwo\r", 1), (std::vector<std::wstring>{L"one", L"two"})) << "a lone CR ends a line";
    EXPECT_TRUE(Decode("", 1).empty());
    EXPECT_EQ(Decode("\xEF\xBB", 1), (std::vector<std::wstring>{L"\xFFFD"})) << "a cut mark is text";
}

TEST(ListTextDecoder, BadBytesBecomeReplacementsAndOverlongLinesAreDropped)
{
    // An overlong NUL, a surrogate's bytes, a byte that never starts
    // anything, a sequence cut by the line's end.
    EXPECT_EQ(Decode("a\xC0\x80" "b\xED\xA0\x80" "c\xF5" "d\xE6\x97\n\xE6", 1),
              (std::vector<std::wstring>{L"a\xFFFD\xFFFD" L"b\xFFFD\xFFFD\xFFFD" L"c\xFFFD" L"d\xFFFD", L"\xFFFD"}));
    const std::string longLine(ListTextDecoder::kLongestLine + 1, 'x');
    ListTextDecoder decoder;
    Lines lines;
    const std::string bytes = "first\n" + longLine + "\nafter\n" + longLine;
    decoder.Feed(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), lines);
    decoder.Finish(lines);
    EXPECT_EQ(lines.seen, (std::vector<std::wstring>{L"first", L"after"}));
    EXPECT_EQ(decoder.DroppedLines(), 2u);
    // A sink that wants no more stops the decoding for good.
    Lines one;
    one.stopAfter = 1;
    ListTextDecoder stopping;
    EXPECT_FALSE(stopping.FeedUnits(L"a\nb\nc\n", 6, one));
    EXPECT_FALSE(stopping.FeedUnits(L"d\n", 2, one));
    EXPECT_EQ(one.seen.size(), 1u);
}

TEST(ChecksumLines, EveryFormGivesTheDigestAndThePathAsWritten)
{
    struct Case {
        std::wstring line;
        Algorithm algorithm;
        std::wstring path;
    };
    const Case cases[] = {
        {kSha256 + L"  dir/a b.iso", Algorithm::Sha256, L"dir\\a b.iso"},
        {kSha1 + L" *C:\\x\\y.bin  ", Algorithm::Sha1, L"C:\\x\\y.bin"},
        {L"\\" + kMd5 + L"  back\\\\slash", Algorithm::Md5, L"back\\slash"},
        {L"SHA256 (name (1).txt) = " + kSha256, Algorithm::Sha256, L"name (1).txt"},
        {L"\\MD5 (a\\\\b) = " + kMd5, Algorithm::Md5, L"a\\b"},
        {L"some file.bin   DEADBEEF", Algorithm::Crc32, L"some file.bin"},
        {L"C:\\Data\\a.iso\t1,234 bytes\tCRC32:DEADBEEF\tSHA256:" + kSha256 + L"\tMD5:" + kMd5,
         Algorithm::Sha256, L"C:\\Data\\a.iso"},
        {L"sub\\x.txt\tcrc32:deadbeef\tsha1:" + kSha1, Algorithm::Sha1, L"sub\\x.txt"},
        {L"file://C:/Data/a%20b%25.txt\tMD5:" + kMd5, Algorithm::Md5, L"C:\\Data\\a b%.txt"},
    };
    for (const Case& c : cases) {
        ParsedChecksumLine parsed;
        ASSERT_EQ(ParseChecksumLine(c.line, parsed), ChecksumLineKind::Entry) << c.line;
        EXPECT_EQ(parsed.digest.algorithm, c.algorithm) << c.line;
        EXPECT_EQ(parsed.path, c.path) << c.line;
    }
    ParsedChecksumLine parsed;
    EXPECT_EQ(ParseChecksumLine(L"  \t", parsed), ChecksumLineKind::Blank);
    EXPECT_EQ(ParseChecksumLine(L"; made by a tool", parsed), ChecksumLineKind::Comment);
    EXPECT_EQ(ParseChecksumLine(L" # " + kSha256 + L"  x", parsed), ChecksumLineKind::Comment);
    for (const std::wstring& line : std::initializer_list<std::wstring>{kSha256.substr(1) + L"  x", kSha256 + L" x", L"SHA1 (x) = " + kSha256, L"x DEADBEE", kSha256 + L"  ",
          kSha256 + L"  a\x0001" L"b", L"x\t1,234 bytes\t(failed)", L"Hello, world", std::wstring(L"\0\0\0", 3)})
        EXPECT_EQ(ParseChecksumLine(line, parsed), ChecksumLineKind::NotUnderstood) << line;
}

TEST(ChecksumLines, OneDigestAloneWithItsTagAndWhiteSpace)
{
    ChecksumDigest digest;
    ASSERT_TRUE(ParseSingleDigest(L" \r\n\x00A0SHA-256:  " + kSha256 + L"\r\n\r\n", digest));
    EXPECT_EQ(digest, Digest(kSha256));
    ASSERT_TRUE(ParseSingleDigest(L"crc32:DEADbeef", digest));
    EXPECT_EQ(digest.algorithm, Algorithm::Crc32);
    ASSERT_TRUE(ParseSingleDigest(kMd5, digest));
    EXPECT_EQ(digest.algorithm, Algorithm::Md5);
    for (const std::wstring& text : std::initializer_list<std::wstring>{L"SHA256:" + kSha1, L"MD5 " + kMd5, kMd5 + L" " + kMd5, kSha256 + L"  a.iso", L"", L"sha256:",
          L"https://example.com/" + kMd5, std::wstring(200, L' ') + L"x"})
        EXPECT_FALSE(ParseSingleDigest(text, digest)) << text;
    EXPECT_TRUE(FindTaggedDigest(L"\tCRC32:DEADBEEF\tSHA256:" + kSha256, Algorithm::Sha256, digest));
    EXPECT_FALSE(FindTaggedDigest(L"\t(failed)", Algorithm::Sha256, digest));
}

TEST(EntryPaths, ResolvedAgainstTheBaseNeverOnANetworkDeviceOrStream)
{
    struct Case {
        const wchar_t* written;
        const wchar_t* base;
        EntryPathKind kind;
        const wchar_t* full;
    };
    const Case cases[] = {
        {L"a/b/../c/./d.iso", L"C:\\Data", EntryPathKind::Local, L"C:\\Data\\a\\c\\d.iso"},
        {L"..\\..\\..\\x", L"C:\\Data", EntryPathKind::Local, L"C:\\x"},
        {L"\\top\\x", L"D:\\Data\\Sub", EntryPathKind::Local, L"D:\\top\\x"},
        {L"E:/other//x", L"C:\\Data", EntryPathKind::Local, L"E:\\other\\x"},
        {L"x", L"D:\\", EntryPathKind::Local, L"D:\\x"},
        {L"..\\..\\x", L"\\\\srv\\share\\dir", EntryPathKind::Local, L"\\\\srv\\share\\x"},
        {L"x", L"\\\\?\\UNC\\srv\\share", EntryPathKind::Local, L"\\\\srv\\share\\x"},
        {L"x", L"\\\\?\\C:\\Data", EntryPathKind::Local, L"C:\\Data\\x"},
        {L"\\\\srv\\share\\x", L"C:\\Data", EntryPathKind::Unsafe, L"\\\\srv\\share\\x"},
        {L"//srv/share/x", L"C:\\Data", EntryPathKind::Unsafe, L"\\\\srv\\share\\x"},
        {L"\\\\?\\C:\\x", L"C:\\Data", EntryPathKind::Unsafe, L"\\\\?\\C:\\x"},
        {L"\\\\.\\PhysicalDrive0", L"C:\\Data", EntryPathKind::Unsafe, L"\\\\.\\PhysicalDrive0"},
        {L"\\??\\C:\\x", L"C:\\Data", EntryPathKind::Unsafe, L"\\??\\C:\\x"},
        {L"a.txt:secret", L"C:\\Data", EntryPathKind::Unsafe, L"C:\\Data\\a.txt:secret"},
        {L"C:\\x\\a.txt::$DATA", L"C:\\Data", EntryPathKind::Unsafe, L"C:\\x\\a.txt::$DATA"},
        {L"dir\\COM1.txt", L"C:\\Data", EntryPathKind::Unsafe, L"C:\\Data\\dir\\COM1.txt"},
        {L"nul", L"C:\\Data", EntryPathKind::Unsafe, L"C:\\Data\\nul"},
        {L"C:x.txt", L"C:\\Data", EntryPathKind::Invalid, L"C:x.txt"},
        {L"x", L"", EntryPathKind::Invalid, L"x"},
    };
    std::wstring full;
    for (const Case& c : cases) {
        EXPECT_EQ(ResolveEntryPath(c.written, c.base, full), c.kind) << c.written;
        EXPECT_EQ(full, c.full) << c.written;
    }
    EXPECT_EQ(ResolveEntryPath(std::wstring(40000, L'a'), L"C:\\", full), EntryPathKind::Invalid);
    EXPECT_EQ(ResolveEntryPath(L"console.log", L"C:\\Data", full), EntryPathKind::Local);
}

TEST(ChecksumFileLines, LinesAndNamesAsCheckingToolsReadThem)
{
    std::string out;
    std::wstring listed;
    ListedPath(L"c:\\DATA\\sub\\a b.iso", L"C:\\Data", listed);
    EXPECT_EQ(listed, L"sub/a b.iso");
    ASSERT_TRUE(AppendChecksumFileLine(out, Digest(kSha256), listed));
    ListedPath(L"C:\\Database\\x", L"C:\\Data", listed);
    EXPECT_EQ(listed, L"C:\\Database\\x") << "not below: the full path";
    ListedPath(L"D:\\x\\y", L"D:\\", listed);
    EXPECT_EQ(listed, L"x/y");
    ASSERT_TRUE(AppendChecksumFileLine(out, Digest(L"deadbeef"), L"\x65E5 x.bin"));
    EXPECT_EQ(out, std::string(kSha256.begin(), kSha256.end()) + "  sub/a b.iso\n\xE6\x97\xA5 x.bin DEADBEEF\n");
    EXPECT_FALSE(AppendChecksumFileLine(out, Digest(kMd5), L"lone\xD800"));
    EXPECT_EQ(out.back(), '\n') << "nothing of a line that cannot be written";

    EXPECT_EQ(DefaultChecksumFileName(L"C:\\Downloads\\a.iso", 1, Algorithm::Sha256), L"a.iso.sha256");
    EXPECT_EQ(DefaultChecksumFileName(L"C:\\Pictures\\Photos", 1, Algorithm::Sha1), L"Photos.sha1");
    EXPECT_EQ(DefaultChecksumFileName(L"C:\\Pictures\\Photos\\a.jpg", 3, Algorithm::Md5), L"Photos.md5");
    EXPECT_EQ(DefaultChecksumFileName(L"D:\\", 1, Algorithm::Crc32), L"D.sfv");
    EXPECT_EQ(DefaultChecksumFileName(L"D:\\a.iso", 2, Algorithm::Sha256), L"D.sha256");
    EXPECT_EQ(DefaultChecksumFileName(L"\\\\srv\\share\\a", 2, Algorithm::Sha256), L"share.sha256");
}

// Paths that share long beginnings, as a list's do, in several algorithms.
std::wstring StorePath(std::size_t i)
{
    return L"C:\\Data\\folder" + std::to_wstring(i / 37) + L"\\file " + std::to_wstring(i) +
           (i % 5 == 0 ? L"\x65E5\xD83D\xDE00" : L".bin");
}

ChecksumDigest StoreDigest(std::size_t i)
{
    ChecksumDigest digest;
    digest.algorithm = Algorithm(1 + i % 4);
    for (std::size_t b = 0; b < digest.size(); ++b) digest.bytes[b] = std::uint8_t(i * 31 + b);
    return digest;
}

TEST(ChecksumStore, GivesBackEveryEntryInOrderAndByPath)
{
    ChecksumStore store;
    constexpr std::size_t kEntries = 5000;
    for (std::size_t i = 0; i < kEntries; ++i) store.Add(StorePath(i), StoreDigest(i), i % 7 != 0);
    ChecksumStore::Reader reader(store);
    for (std::size_t i = 0; i < kEntries; ++i) {
        ASSERT_TRUE(reader.Next());
        ASSERT_EQ(reader.Entry().fullPath, StorePath(i));
        ASSERT_EQ(reader.Entry().expected, StoreDigest(i));
        ASSERT_EQ(store.Status(i), i % 7 ? VerifyStatus::Pending : VerifyStatus::Unreadable);
    }
    EXPECT_FALSE(reader.Next());

    std::mt19937 random(25);
    std::wstring buffer;
    for (int n = 0; n < 300; ++n) {
        const std::size_t i = random() % kEntries;
        EXPECT_EQ(store.At(i, buffer).fullPath, StorePath(i));
        std::wstring asked = StorePath(i);
        asked.replace(0, 7, L"c:\\dATA"); // names compare without case
        EXPECT_EQ(store.Find(asked), i);
    }
    EXPECT_EQ(store.Find(L"C:\\Data\\folder0\\file 1.bi"), ChecksumStore::kNone);
    // Entries added after the first lookup are found too, the index growing.
    for (std::size_t i = kEntries; i < 3 * kEntries; ++i) store.AddNotListed(StorePath(i));
    EXPECT_EQ(store.Find(StorePath(3 * kEntries - 1)), 3 * kEntries - 1);
    EXPECT_EQ(store.Status(kEntries), VerifyStatus::NotListed);
    EXPECT_EQ(store.At(kEntries, buffer).expected.algorithm, Algorithm::None);
}

TEST(ChecksumStore, PastedLinesCountOnlyWhereTheyNameTheSelection)
{
    ChecksumStore store;
    for (const wchar_t* path : {L"C:\\Sel\\a.iso", L"C:\\Sel\\dir\\deep\\b", L"C:\\Sel\\dirx", L"C:\\Other\\c",
                                L"D:\\d", L"C:\\SEL\\FILE.TXT"})
        store.Add(path, Digest(kMd5), true);
    store.KeepSelected(std::vector<std::wstring>{L"C:\\Sel\\dir", L"c:\\sel\\file.txt", L"D:\\", L"C:\\Sel\\a.iso"});
    std::vector<VerifyStatus> statuses;
    for (std::size_t i = 0; i < store.size(); ++i) statuses.push_back(store.Status(i));
    constexpr auto kIn = VerifyStatus::Pending;
    constexpr auto kOut = VerifyStatus::NotChecked;
    EXPECT_EQ(statuses, (std::vector<VerifyStatus>{kIn, kIn, kOut, kOut, kIn, kIn}));
}

TEST(VerifyOutcome, CountsAndOneReportLinePerCheckedEntry)
{
    ChecksumStore store;
    const VerifyStatus ends[] = {VerifyStatus::Match, VerifyStatus::Mismatch, VerifyStatus::NotChecked,
                                 VerifyStatus::NotFound, VerifyStatus::Match};
    for (std::size_t i = 0; i < std::size(ends); ++i) {
        store.Add(L"C:\\d\\" + std::to_wstring(i), Digest(kMd5), true);
        store.SetStatus(i, ends[i]);
    }
    store.AddNotListed(L"C:\\d\\extra");
    VerifyCounts counts = CountOutcome(store);
    EXPECT_EQ(counts[VerifyStatus::Match], 2u);
    EXPECT_EQ(counts[VerifyStatus::NotListed], 1u);
    EXPECT_FALSE(counts.AllMatched());
    const VerifyStatusTexts texts = {L"?", L"OK", L"BAD", L"MISSING", L"UNREAD", L"UNLISTED", L"?"};
    const std::wstring expected = L"OK\tC:\\d\\0\r\nBAD\tC:\\d\\1\r\nMISSING\tC:\\d\\3\r\nOK\tC:\\d\\4\r\n"
                                  L"UNLISTED\tC:\\d\\extra\r\n";
    ASSERT_EQ(ReportUnits(store, texts), expected.size());
    std::wstring report(expected.size(), L'#');
    WriteReport(store, texts, report.data(), true);
    EXPECT_EQ(report, expected);

    VerifyCounts matched;
    matched.of[std::size_t(VerifyStatus::Match)] = 1;
    matched.of[std::size_t(VerifyStatus::NotChecked)] = 4;
    EXPECT_TRUE(matched.AllMatched());
    EXPECT_FALSE(VerifyCounts().AllMatched()) << "nothing checked is no success";
}

TEST(ChecksumText, ADigestALongListOrNothingAndJunkNeverHurts)
{
    ChecksumStore store;
    ChecksumDigest single;
    EXPECT_EQ(ReadChecksumText(L"\n  SHA1:" + kSha1 + L"\n", L"C:\\Sel", store, single), ChecksumTextKind::SingleDigest);
    EXPECT_EQ(single, Digest(kSha1));
    EXPECT_EQ(ReadChecksumText(L"# list\r\n" + kMd5 + L"  a\r\nnoise\r\nb DEADBEEF", L"C:\\Sel", store, single),
              ChecksumTextKind::List);
    ASSERT_EQ(store.size(), 2u);
    std::wstring buffer;
    EXPECT_EQ(store.At(1, buffer).fullPath, L"C:\\Sel\\b");
    EXPECT_EQ(ReadChecksumText(L"Dear user,\r\nhello.", L"C:\\Sel", store, single), ChecksumTextKind::Nothing);
    std::mt19937 random(17);
    for (int round = 0; round < 50; ++round) {
        std::wstring junk(random() % 3000, L'\0');
        for (wchar_t& unit : junk) unit = wchar_t(random() % (round % 2 ? 0x80 : 0x10000));
        ChecksumStore junkStore;
        ReadChecksumText(junk, L"C:\\Sel", junkStore, single);
        for (std::size_t i = 0; i < junkStore.size(); ++i) EXPECT_NE(junkStore.At(i, buffer).fullPath, L"");
    }
}

} // namespace
} // namespace lumbrix
