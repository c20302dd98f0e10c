// The four digest engines against published and independently computed
// answers, on every implementation path this processor can run. Built for
// Windows (run under Wine) and for Linux under the sanitizers.

#include "hash/crc32.h"
#include "hash/engine_paths.h"
#include "hash/md5.h"
#include "hash/sha1.h"
#include "hash/sha256.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace lumbrix {

// Reaches the 2^64-bit limit without hashing 2^61 bytes.
struct Sha1TestAccess {
    static void PresetBitCount(Sha1& sha1, std::uint64_t bits)
    {
        sha1.lengthLow_ = static_cast<std::uint32_t>(bits);
        sha1.lengthHigh_ = static_cast<std::uint32_t>(bits >> 32);
    }
};

namespace {

struct KnownAnswer {
    std::string message;
    const wchar_t* crc32;
    const wchar_t* md5;
    const wchar_t* sha1;
    const wchar_t* sha256;
};

std::vector<KnownAnswer> KnownAnswers()
{
    return {
        {"", L"00000000", L"D41D8CD98F00B204E9800998ECF8427E", L"DA39A3EE5E6B4B0D3255BFEF95601890AFD80709",
         L"E3B0C44298FC1C149AFBF4C8996FB92427AE41E4649B934CA495991B7852B855"},
        {"123456789", L"CBF43926", L"25F9E794323B453885F5181F1B624D0B", L"F7C3BC1D808E04732ADF679965CCC34CA7AE3441",
         L"15E2B0D3C33891EBB0F1EF609EC419420C20E320CE94C65FBC8C3312448EB225"},
        {"abc", L"352441C2", L"900150983CD24FB0D6963F7D28E17F72", L"A9993E364706816ABA3E25717850C26C9CD0D89D",
         L"BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD"},
        // The two final-block cases: 55 bytes still take the length, 56 do not.
        {std::string(55, 'a'), L"AADFE34E", L"EF1772B6DFF9A122358552954AD0DF65",
         L"C1C8BBDC22796E28C0E15163D20899B65621D65A",
         L"9F4390F8D30C2DD92EC9F095B65E2B9AE9B0A925A5258E241C9F1E910F734318"},
        {std::string(56, 'a'), L"79790D37", L"3B0C8AC703F828B04C6C197006D17218",
         L"C2DB330F6083854C99D4B5BFB6E8F29F201BE699",
         L"B35439A4AC6F0948B6D6F9E3C6AF0F5F590CE20F1BDE7090EF7970686EC6738A"},
        {std::string(63, 'a'), L"6824C5DE", L"B06521F39153D618550606BE297466D5",
         L"03F09F5B158A7A8CDAD920BDDC29B81C18A551F5",
         L"7D3E74A05D7DB15BCE4AD9EC0658EA98E3F06EEECF16B4C6FFF2DA457DDC2F34"},
        {std::string(64, 'a'), L"89B46555", L"014842D480B571495A4A0363793F7367",
         L"0098BA824B5C16427BD7A1122A5A442A25EC644D",
         L"FFE054FE7AE0CB6DC65C3AF9B61D5209F439851DB43D0BA5997337DF154668EB"},
        {std::string(65, 'a'), L"F33FAF5D", L"C743A45E0D2E6A95CB859ADAE0248435",
         L"11655326C708D70319BE2610E8A57D9A5B959D3B",
         L"635361C48BB9EAB14198E76EA8AB7F1A41685D6AD62AA9146D301D4F17EB0AE0"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq", L"171A3F5F", L"8215EF0796A20BCAAAE116D3876C664A",
         L"84983E441C3BD26EBAAE4AA1F95129E5E54670F1",
         L"248D6A61D20638B8E5C026930C3E6039A33CE45964FF2167F6ECEDD419DB06C1"},
        {std::string(1000000, 'a'), L"DC25BFBC", L"7707D6AE4E027C70EEA2A935C2296F21",
         L"34AA973CD4C4DAA4F61EEB2BDBAD27316534016F",
         L"CDC76E5C9914FB9281A1C7E284D73E67F1809A48A497200E046D39CCC7112CD0"},
    };
}

std::vector<std::uint8_t> RandomBytes(std::size_t size, unsigned seed)
{
    std::mt19937 random(seed);
    std::vector<std::uint8_t> bytes(size);
    for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
    return bytes;
}

// Feeds data in random pieces (zero-sized ones included) and returns the hex digest.
template <class Engine>
std::wstring DigestInPieces(const std::vector<std::uint8_t>& data, std::mt19937& random, std::size_t maxPiece)
{
    Engine engine;
    engine.Init();
    std::size_t done = 0;
    while (done < data.size()) {
        const std::size_t piece = std::min(data.size() - done, random() % (maxPiece + 1));
        engine.Update(data.data() + done, static_cast<std::uint32_t>(piece));
        done += piece;
    }
    wchar_t hex[65];
    return engine.HexDigest(hex);
}

template <class Engine>
std::wstring DigestOf(const void* data, std::size_t size)
{
    Engine engine;
    engine.Init();
    engine.Update(data, static_cast<std::uint32_t>(size));
    wchar_t hex[65];
    return engine.HexDigest(hex);
}

std::wstring Crc32Of(const std::string& s) { return DigestOf<Crc32>(s.data(), s.size()); }
std::wstring Md5Of(const std::string& s) { return DigestOf<Md5>(s.data(), s.size()); }
std::wstring Sha1Of(const std::string& s) { return DigestOf<Sha1>(s.data(), s.size()); }
std::wstring Sha256Of(const std::string& s) { return DigestOf<Sha256>(s.data(), s.size()); }

// Digests on the portable paths, to compare the accelerated ones with.
std::wstring PortableCrc32(const std::uint8_t* data, std::size_t size)
{
    const Crc32Path active = ActiveCrc32Path();
    UseCrc32Path(Crc32Path::Table);
    std::wstring digest = DigestOf<Crc32>(data, size);
    UseCrc32Path(active);
    return digest;
}

std::wstring PortableSha1(const std::uint8_t* data, std::size_t size)
{
    const Sha1Path active = ActiveSha1Path();
    UseSha1Path(Sha1Path::Portable);
    std::wstring digest = DigestOf<Sha1>(data, size);
    UseSha1Path(active);
    return digest;
}

std::wstring PortableSha256(const std::uint8_t* data, std::size_t size)
{
    const Sha256Path active = ActiveSha256Path();
    UseSha256Path(Sha256Path::Portable);
    std::wstring digest = DigestOf<Sha256>(data, size);
    UseSha256Path(active);
    return digest;
}

class Crc32PathTest : public ::testing::TestWithParam<Crc32Path> {
protected:
    void SetUp() override
    {
        if (!UseCrc32Path(GetParam())) GTEST_SKIP() << PathName(GetParam()) << " cannot run on this processor";
    }
    void TearDown() override { UseCrc32Path(BestCrc32Path()); }
};

class Sha1PathTest : public ::testing::TestWithParam<Sha1Path> {
protected:
    void SetUp() override
    {
        if (!UseSha1Path(GetParam())) GTEST_SKIP() << PathName(GetParam()) << " cannot run on this processor";
    }
    void TearDown() override { UseSha1Path(BestSha1Path()); }
};

class Sha256PathTest : public ::testing::TestWithParam<Sha256Path> {
protected:
    void SetUp() override
    {
        if (!UseSha256Path(GetParam())) GTEST_SKIP() << PathName(GetParam()) << " cannot run on this processor";
    }
    void TearDown() override { UseSha256Path(BestSha256Path()); }
};

TEST_P(Crc32PathTest, GivesTheKnownAnswers)
{
    for (const KnownAnswer& answer : KnownAnswers())
        EXPECT_EQ(Crc32Of(answer.message), answer.crc32) << answer.message.size();
}

TEST_P(Sha1PathTest, GivesTheKnownAnswers)
{
    for (const KnownAnswer& answer : KnownAnswers())
        EXPECT_EQ(Sha1Of(answer.message), answer.sha1) << answer.message.size();
}

TEST_P(Sha256PathTest, GivesTheKnownAnswers)
{
    for (const KnownAnswer& answer : KnownAnswers())
        EXPECT_EQ(Sha256Of(answer.message), answer.sha256) << answer.message.size();
}

TEST(Md5, GivesTheKnownAnswers)
{
    for (const KnownAnswer& answer : KnownAnswers())
        EXPECT_EQ(Md5Of(answer.message), answer.md5) << answer.message.size();
}

// Every length around the vector widths and block sizes, and around whole
// KiB up to seven (where the multi-stream blocks begin and end), at odd
// addresses, against the portable path.
TEST_P(Crc32PathTest, AgreesWithTheTablesOnEveryLengthAndAlignment)
{
    std::vector<std::size_t> sizes;
    for (std::size_t size = 0; size <= 1100; size += size < 300 ? 1 : 37) sizes.push_back(size);
    for (std::size_t kib = 1; kib <= 7; ++kib)
        for (std::size_t size = kib * 1024 - 9; size <= kib * 1024 + 9; ++size) sizes.push_back(size);
    const std::vector<std::uint8_t> data = RandomBytes(8192, 7);
    for (std::size_t offset = 0; offset < 4; ++offset) {
        for (std::size_t size : sizes) {
            ASSERT_EQ(DigestOf<Crc32>(data.data() + offset, size), PortableCrc32(data.data() + offset, size))
                << "size " << size << " offset " << offset;
        }
    }
}

TEST_P(Sha1PathTest, AgreesWithThePortablePathOnEveryBlockCount)
{
    const std::vector<std::uint8_t> data = RandomBytes(64 * 12 + 63, 8);
    for (std::size_t size = 0; size < data.size(); size += 7)
        ASSERT_EQ(DigestOf<Sha1>(data.data() + 1, size), PortableSha1(data.data() + 1, size)) << "size " << size;
}

TEST_P(Sha256PathTest, AgreesWithThePortablePathOnEveryBlockCount)
{
    const std::vector<std::uint8_t> data = RandomBytes(64 * 12 + 63, 9);
    for (std::size_t size = 0; size < data.size(); size += 7)
        ASSERT_EQ(DigestOf<Sha256>(data.data() + 1, size), PortableSha256(data.data() + 1, size)) << "size " << size;
}

TEST_P(Crc32PathTest, GivesTheSameDigestWhateverTheSplit)
{
    const std::vector<std::uint8_t> data = RandomBytes(300000, 1);
    const std::wstring whole = DigestOf<Crc32>(data.data(), data.size());
    EXPECT_EQ(whole, PortableCrc32(data.data(), data.size()));
    std::mt19937 random(2);
    for (std::size_t maxPiece : {1u, 17u, 300u, 5000u, 70000u})
        EXPECT_EQ(DigestInPieces<Crc32>(data, random, maxPiece), whole);
}

TEST_P(Sha1PathTest, GivesTheSameDigestWhateverTheSplit)
{
    const std::vector<std::uint8_t> data = RandomBytes(300000, 3);
    const std::wstring whole = DigestOf<Sha1>(data.data(), data.size());
    EXPECT_EQ(whole, PortableSha1(data.data(), data.size()));
    std::mt19937 random(4);
    for (std::size_t maxPiece : {1u, 17u, 300u, 5000u, 70000u})
        EXPECT_EQ(DigestInPieces<Sha1>(data, random, maxPiece), whole);
}

TEST_P(Sha256PathTest, GivesTheSameDigestWhateverTheSplit)
{
    const std::vector<std::uint8_t> data = RandomBytes(300000, 10);
    const std::wstring whole = DigestOf<Sha256>(data.data(), data.size());
    EXPECT_EQ(whole, PortableSha256(data.data(), data.size()));
    std::mt19937 random(11);
    for (std::size_t maxPiece : {1u, 17u, 300u, 5000u, 70000u})
        EXPECT_EQ(DigestInPieces<Sha256>(data, random, maxPiece), whole);
}

TEST(Md5, GivesTheSameDigestWhateverTheSplit)
{
    const std::vector<std::uint8_t> data = RandomBytes(300000, 5);
    const std::wstring whole = DigestOf<Md5>(data.data(), data.size());
    std::mt19937 random(6);
    for (std::size_t maxPiece : {1u, 17u, 300u, 5000u, 70000u})
        EXPECT_EQ(DigestInPieces<Md5>(data, random, maxPiece), whole);
}

// The engine's own name of the path, in the letters a test name may have.
template <typename Path>
std::string TestName(Path path)
{
    std::string name = PathName(path);
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Paths, Crc32PathTest,
                         ::testing::Values(Crc32Path::Table, Crc32Path::Clmul, Crc32Path::VpclmulAvx2,
                                           Crc32Path::VpclmulAvx512, Crc32Path::Armv8),
                         [](const auto& info) { return TestName(info.param); });
INSTANTIATE_TEST_SUITE_P(Paths, Sha1PathTest,
                         ::testing::Values(Sha1Path::Portable, Sha1Path::Ssse3, Sha1Path::Avx2,
                                           Sha1Path::ShaExtensions, Sha1Path::Armv8),
                         [](const auto& info) { return TestName(info.param); });
INSTANTIATE_TEST_SUITE_P(Paths, Sha256PathTest, ::testing::Values(Sha256Path::Portable, Sha256Path::ShaExtensions, Sha256Path::Armv8),
                         [](const auto& info) { return TestName(info.param); });

// HexDigest finishes a copy: asking twice gives the same text, and input
// after it continues the digest as if it had not been asked.
TEST(HexDigestMidStream, LeavesEveryEngineRunning)
{
    const std::string first(100, 'x'), second = "123456789";
    Crc32 crc32;
    Md5 md5;
    Sha1 sha1;
    Sha256 sha256;
    crc32.Init();
    md5.Init();
    sha1.Init();
    sha256.Init();
    crc32.Update(first.data(), 100);
    md5.Update(first.data(), 100);
    sha1.Update(first.data(), 100);
    sha256.Update(first.data(), 100);
    wchar_t a[65], b[65];
    EXPECT_EQ(std::wstring(crc32.HexDigest(a)), crc32.HexDigest(b));
    EXPECT_EQ(std::wstring(md5.HexDigest(a)), md5.HexDigest(b));
    EXPECT_EQ(std::wstring(sha1.HexDigest(a)), sha1.HexDigest(b));
    EXPECT_EQ(std::wstring(sha256.HexDigest(a)), sha256.HexDigest(b));
    EXPECT_EQ(std::wstring(md5.HexDigest(a)), Md5Of(first));
    EXPECT_EQ(std::wstring(sha1.HexDigest(a)), Sha1Of(first));
    EXPECT_EQ(std::wstring(sha256.HexDigest(a)), Sha256Of(first));

    crc32.Update(second.data(), 9);
    md5.Update(second.data(), 9);
    sha1.Update(second.data(), 9);
    sha256.Update(second.data(), 9);
    EXPECT_EQ(std::wstring(crc32.HexDigest(a)), Crc32Of(first + second));
    EXPECT_EQ(std::wstring(md5.HexDigest(a)), Md5Of(first + second));
    EXPECT_EQ(std::wstring(sha1.HexDigest(a)), Sha1Of(first + second));
    EXPECT_EQ(std::wstring(sha256.HexDigest(a)), Sha256Of(first + second));
}

TEST(HexDigestForm, IsUpperCaseAndTerminatedAtItsLength)
{
    wchar_t out[80];
    std::fill(std::begin(out), std::end(out), L'#');
    Crc32 crc32;
    crc32.Init();
    crc32.Update("abc", 3);
    EXPECT_EQ(crc32.HexDigest(out), out);
    EXPECT_EQ(std::wstring(out), L"352441C2");
    EXPECT_EQ(out[9], L'#');
    EXPECT_EQ(crc32.Value(), 0x352441C2u);

    Md5 md5;
    md5.Init();
    std::fill(std::begin(out), std::end(out), L'#');
    EXPECT_EQ(std::wcslen(md5.HexDigest(out)), 32u);
    EXPECT_EQ(out[33], L'#');

    Sha1 sha1;
    sha1.Init();
    std::fill(std::begin(out), std::end(out), L'#');
    EXPECT_EQ(std::wcslen(sha1.HexDigest(out)), 40u);
    EXPECT_EQ(out[41], L'#');

    Sha256 sha256;
    sha256.Init();
    std::fill(std::begin(out), std::end(out), L'#');
    EXPECT_EQ(std::wcslen(sha256.HexDigest(out)), 64u);
    EXPECT_EQ(out[65], L'#');
}

TEST(Init, StartsAFreshDigest)
{
    Crc32 crc32;
    Md5 md5;
    Sha1 sha1;
    Sha256 sha256;
    crc32.Init();
    md5.Init();
    sha1.Init();
    sha256.Init();
    crc32.Update("junk", 4);
    md5.Update("junk", 4);
    sha1.Update("junk", 4);
    sha256.Update("junk", 4);
    crc32.Init();
    md5.Init();
    sha1.Init();
    sha256.Init();
    wchar_t hex[65];
    EXPECT_STREQ(crc32.HexDigest(hex), L"00000000");
    EXPECT_STREQ(md5.HexDigest(hex), L"D41D8CD98F00B204E9800998ECF8427E");
    EXPECT_STREQ(sha1.HexDigest(hex), L"DA39A3EE5E6B4B0D3255BFEF95601890AFD80709");
    EXPECT_STREQ(sha256.HexDigest(hex), L"E3B0C44298FC1C149AFBF4C8996FB92427AE41E4649B934CA495991B7852B855");
}

TEST(EmptyUpdates, ChangeNothingEvenWithoutData)
{
    Crc32 crc32;
    Md5 md5;
    Sha1 sha1;
    crc32.Init();
    md5.Init();
    sha1.Init();
    Sha256 sha256;
    sha256.Init();
    crc32.Update(nullptr, 0);
    md5.Update(nullptr, 0);
    EXPECT_EQ(sha1.Update(nullptr, 0), shaSuccess);
    md5.Update("abc", 3);
    md5.Update(nullptr, 0);
    sha256.Update("abc", 3);
    sha256.Update(nullptr, 0);
    wchar_t hex[65];
    EXPECT_STREQ(sha256.HexDigest(hex), L"BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD");
    EXPECT_STREQ(crc32.HexDigest(hex), L"00000000");
    EXPECT_STREQ(md5.HexDigest(hex), L"900150983CD24FB0D6963F7D28E17F72");
    EXPECT_STREQ(sha1.HexDigest(hex), L"DA39A3EE5E6B4B0D3255BFEF95601890AFD80709");
}

TEST(Sha1Errors, RefusesNullArgumentsWithoutHarm)
{
    Sha1 sha1;
    sha1.Init();
    EXPECT_EQ(sha1.Update(nullptr, 5), shaNull);
    EXPECT_EQ(sha1.Result(nullptr), shaNull);
    EXPECT_EQ(sha1.Update("abc", 3), shaSuccess);
    std::uint8_t out[20];
    EXPECT_EQ(sha1.Result(out), shaSuccess);
    EXPECT_EQ(out[0], 0xA9);
    EXPECT_EQ(out[19], 0x9D);
}

TEST(Sha1Errors, InputAfterTheResultIsAStateError)
{
    Sha1 sha1;
    sha1.Init();
    sha1.Update("abc", 3);
    std::uint8_t first[20], again[20];
    ASSERT_EQ(sha1.Result(first), shaSuccess);
    EXPECT_EQ(sha1.Result(again), shaSuccess);
    EXPECT_EQ(std::memcmp(first, again, 20), 0);
    wchar_t hex[41];
    EXPECT_STREQ(sha1.HexDigest(hex), L"A9993E364706816ABA3E25717850C26C9CD0D89D");

    EXPECT_EQ(sha1.Update(nullptr, 0), shaSuccess); // nothing to add is not input
    EXPECT_EQ(sha1.Update("d", 1), shaStateError);
    EXPECT_EQ(sha1.Result(again), shaStateError);
    EXPECT_EQ(sha1.Update("d", 1), shaStateError);

    sha1.Init();
    EXPECT_EQ(sha1.Update("abc", 3), shaSuccess);
    EXPECT_STREQ(sha1.HexDigest(hex), L"A9993E364706816ABA3E25717850C26C9CD0D89D");
}

TEST(Sha1Errors, ReachingTwoToTheSixtyFourBitsCorruptsTheContext)
{
    Sha1 sha1;
    sha1.Init();
    Sha1TestAccess::PresetBitCount(sha1, ~std::uint64_t(0) - 511); // 64 bytes short of the limit
    const std::string block(64, 'a');
    EXPECT_EQ(sha1.Update(block.data(), 63), shaSuccess);
    EXPECT_EQ(sha1.Update(block.data(), 1), shaInputTooLong);
    EXPECT_EQ(sha1.Update(block.data(), 1), shaInputTooLong);
    std::uint8_t out[20];
    EXPECT_EQ(sha1.Result(out), shaInputTooLong);

    sha1.Init();
    Sha1TestAccess::PresetBitCount(sha1, ~std::uint64_t(0) - 511);
    EXPECT_EQ(sha1.Update(block.data(), 64), shaInputTooLong);
}

TEST(Paths, TheBestPathIsActiveUnlessPinned)
{
    EXPECT_EQ(ActiveCrc32Path(), BestCrc32Path());
    EXPECT_EQ(ActiveSha1Path(), BestSha1Path());
    EXPECT_EQ(ActiveSha256Path(), BestSha256Path());
    EXPECT_TRUE(CanRun(Crc32Path::Table));
    EXPECT_TRUE(CanRun(Sha1Path::Portable));
    EXPECT_TRUE(CanRun(Sha256Path::Portable));
    EXPECT_TRUE(CanRun(BestCrc32Path()));
    EXPECT_TRUE(CanRun(BestSha1Path()));
    EXPECT_TRUE(CanRun(BestSha256Path()));
}

TEST(Paths, APathThisProcessorLacksIsRefused)
{
    for (Crc32Path path : {Crc32Path::Clmul, Crc32Path::VpclmulAvx2, Crc32Path::VpclmulAvx512, Crc32Path::Armv8}) {
        if (CanRun(path)) continue;
        EXPECT_FALSE(UseCrc32Path(path));
        EXPECT_EQ(ActiveCrc32Path(), BestCrc32Path());
    }
    for (Sha1Path path : {Sha1Path::Ssse3, Sha1Path::Avx2, Sha1Path::ShaExtensions, Sha1Path::Armv8}) {
        if (CanRun(path)) continue;
        EXPECT_FALSE(UseSha1Path(path));
        EXPECT_EQ(ActiveSha1Path(), BestSha1Path());
    }
    for (Sha256Path path : {Sha256Path::ShaExtensions, Sha256Path::Armv8}) {
        if (CanRun(path)) continue;
        EXPECT_FALSE(UseSha256Path(path));
        EXPECT_EQ(ActiveSha256Path(), BestSha256Path());
    }
}

// The run names the processor's instruction sets that it knows are there
// (qemu's default processor has them all); each must be found and chosen.
TEST(Paths, TheProcessorsOwnInstructionsAreFoundAndChosen)
{
    const char* expected = std::getenv("LUMBRIX_EXPECT_ARM_FEATURES");
    if (!expected) GTEST_SKIP() << "LUMBRIX_EXPECT_ARM_FEATURES names no instruction sets";
    const std::string names = std::string(",") + expected + ",";
    if (names.find(",crc32,") != std::string::npos) {
        EXPECT_EQ(BestCrc32Path(), Crc32Path::Armv8);
    }
    if (names.find(",sha1,") != std::string::npos) {
        EXPECT_EQ(BestSha1Path(), Sha1Path::Armv8);
    }
    if (names.find(",sha256,") != std::string::npos) {
        EXPECT_EQ(BestSha256Path(), Sha256Path::Armv8);
    }
}

} // namespace
} // namespace lumbrix
