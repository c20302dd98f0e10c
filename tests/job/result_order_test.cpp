// The result list keeps lstrcmpiW's order, and each line once: the same text
// but for letter case, of the same file. Its sort keys are checked against
// lstrcmpiW itself: adversarial pairs and random texts in several thread
// locales, then whole lists against a set in that order.

#include "allocation_failure.h"
#include "job/collation_key.h"
#include "job/result_list.h"
#include "job/collation.h"

#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <set>
#include <sstream>

namespace lumbrix::test {
namespace {

int Sign(int value) { return (value > 0) - (value < 0); }

std::string Units(const std::wstring& text)
{
    std::ostringstream out;
    out << std::hex;
    for (wchar_t unit : text) out << static_cast<unsigned>(unit) << ' ';
    return out.str();
}

// Pieces that collations treat specially: case pairs, accents precomposed and
// combining, ligatures, kana and width forms, word-sort punctuation (hyphens,
// apostrophes), digits of several scripts, surrogate pairs and lone
// surrogates, ignorable and control characters, unassigned and private units.
const std::vector<std::wstring> kPieces = {
    L"a", L"A", L"b", L"B", L"z", L"Z", L"i", L"I", L"\u0130", L"\u0131", L"\u00e4", L"\u00c4", L"a\u0308",
    L"\u00e9", L"e\u0301", L"\u00df", L"ss", L"\u1e9e", L"\u00e6", L"ae", L"\u01c5", L"\u03a3", L"\u03c3",
    L"\u03c2", L"\u0401", L"\u0451", L"\u00c5", L"\u212b", L"\ufb01", L"fi", L"-", L"'", L"\u2010", L"\u2019",
    L"\u2212", L"\uff0d", L" ", L".", L"_", L"~", L"$", L"#", L"\\", L"/", L":", L"0", L"1", L"9", L"10",
    L"\u0661", L"\uff11", L"\u00b2", L"\u00bd", L"\u2460", L"\uff21", L"\uff41", L"\u30a2", L"\u30a1", L"\u3042",
    L"\uff71", L"\u30ac", L"\u304c", L"\uff76\uff9e", L"\u309b", L"\u3099", L"\u30f4", L"\u30fc", L"\u309d",
    L"\u3005", L"\u4e00", L"\u4e8c", L"\uac00", L"\u3000", L"\u00a0", L"\U0001F600", L"\U00020000",
    L"\U0001D538", L"\u2764\ufe0f", L"\xd800", L"\xdbff", L"\xdc00", L"\xdfff", L"\u200b", L"\u200c", L"\u200d",
    L"\u00ad", L"\ufeff", L"\x01", L"\x1f", L"\x7f", L"\u0300", L"\u0378", L"\ue000", L"\ufffe", L"\uffff"};

std::wstring RandomText(std::mt19937& random, std::size_t maxPieces)
{
    std::wstring text;
    const std::size_t pieces = 1 + random() % maxPieces;
    for (std::size_t i = 0; i < pieces; ++i) text += kPieces[random() % kPieces.size()];
    return text;
}

// Sets the calling thread's locale for a while; lstrcmpiW follows it.
class ThreadLocale {
public:
    explicit ThreadLocale(LCID locale) : previous_(::GetThreadLocale()) { ::SetThreadLocale(locale); }
    ~ThreadLocale() { ::SetThreadLocale(previous_); }

private:
    LCID previous_;
};

std::vector<LCID> Locales()
{
    // The user's, Japanese, and locales whose orders differ from the default
    // (Swedish, Turkish, Lithuanian, traditional Spanish).
    return {::GetUserDefaultLCID(), 0x0411, 0x041D, 0x041F, 0x0427, 0x040A};
}

constexpr LCID kGermanPhoneBook = 0x10407;

void ExpectKeysAgree(const std::vector<std::wstring>& texts, LCID locale)
{
    std::vector<std::string> keys(texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i)
        ASSERT_TRUE(MakeCollationKey(texts[i], locale, keys[i])) << Units(texts[i]);
    int mismatches = 0;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        for (std::size_t j = i; j < texts.size(); ++j) {
            const int expected = Sign(::lstrcmpiW(texts[i].c_str(), texts[j].c_str()));
            const int actual = Sign(CompareCollationKeys(keys[i], keys[j]));
            if (expected != actual && ++mismatches <= 10)
                ADD_FAILURE() << "locale " << std::hex << locale << ": lstrcmpiW " << expected << ", keys "
                              << actual << " for [" << Units(texts[i]) << "] and [" << Units(texts[j]) << "]";
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(CollationKeys, AgreeWithLstrcmpiOnSingleAndPairedPieces)
{
    std::vector<std::wstring> texts = kPieces;
    for (const std::wstring& first : kPieces)
        for (const std::wstring& second : {std::wstring(L"a"), std::wstring(L"-"), std::wstring(L"\u00ad")})
            texts.push_back(first + second), texts.push_back(second + first);
    // Prefixes and word-sort cases.
    for (const wchar_t* text : {L"co-op", L"coop", L"co'op", L"Co-Op", L"coo", L"coopx", L"it's", L"its",
                                L"file9.txt", L"file10.txt", L"File10.TXT", L"abc", L"abcd", L"ab", L"a-b-c"})
        texts.push_back(text);
    for (LCID locale : Locales()) {
        ThreadLocale scope(locale);
        ExpectKeysAgree(texts, locale);
    }
}

TEST(CollationKeys, AgreeWithLstrcmpiOnRandomTexts)
{
    std::mt19937 random(20240611);
    for (LCID locale : Locales()) {
        ThreadLocale scope(locale);
        std::vector<std::wstring> texts;
        for (int i = 0; i < 1200; ++i) texts.push_back(RandomText(random, 6));
        ExpectKeysAgree(texts, locale);
    }
}

TEST(CollationKeys, FollowTheThreadLocaleAsLstrcmpiDoes)
{
    ThreadLocale swedish(0x041D);
    EXPECT_EQ(CollationLocale(), LCID{0x041D});
    // In Swedish a-umlaut sorts after z.
    EXPECT_GT(::lstrcmpiW(L"\u00e4", L"z"), 0);
    std::string umlaut, zed;
    ASSERT_TRUE(MakeCollationKey(L"\u00e4", CollationLocale(), umlaut));
    ASSERT_TRUE(MakeCollationKey(L"z", CollationLocale(), zed));
    EXPECT_GT(CompareCollationKeys(umlaut, zed), 0);
}

TEST(CollationKeys, LongTextsGetWholeKeys)
{
    const std::wstring stem(3000, L'x');
    const std::vector<std::wstring> texts = {stem + L"a", stem + L"B", L"X" + stem, stem + L"\u00e4", stem,
                                             stem + L"A", std::wstring(5000, L'\u30a2') + L"1"};
    ExpectKeysAgree(texts, CollationLocale());
}

TEST(CollationKeys, EmptyTextHasNoKey)
{
    std::string key = "stale";
    EXPECT_FALSE(MakeCollationKey(L"", CollationLocale(), key));
    EXPECT_TRUE(key.empty());
}

struct Line {
    std::wstring text;
    std::wstring source;
};

// lstrcmpiW's order; of the lines it takes as equal, one only for the same
// text but for letter case and the same file.
struct SameLineLess {
    bool operator()(const Line& a, const Line& b) const noexcept
    {
        const int order = ::lstrcmpiW(a.text.c_str(), b.text.c_str());
        if (order != 0) return order < 0;
        const int text = CompareFoldedUnits(a.text, b.text);
        return text != 0 ? text < 0 : CompareFoldedUnits(a.source, b.source) < 0;
    }
};

// Adds lines to a result list and inserts them into a set in that order, both
// keeping the first of the same lines, and expects the same outcome.
void ExpectListMatchesReference(const std::vector<Line>& lines)
{
    ResultList list;
    std::set<Line, SameLineLess> reference;
    for (const Line& line : lines) {
        list.Append(line.text, line.source);
        reference.insert(line);
    }
    ASSERT_TRUE(list.Arrange());
    ASSERT_EQ(list.size(), reference.size());
    auto expected = reference.begin();
    for (const ResultLine& line : list) {
        ASSERT_EQ(line.text, expected->text) << Units(std::wstring(line.text)) << " / " << Units(expected->text);
        EXPECT_EQ(line.sourcePath, expected->source);
        ++expected;
    }
}

// Each text a file of its own, named after the text.
void ExpectListMatchesLstrcmpiSet(const std::vector<std::wstring>& texts)
{
    std::vector<Line> lines;
    for (const std::wstring& text : texts) lines.push_back({text, L"source of " + text});
    ExpectListMatchesReference(lines);
}

TEST(ResultOrder, MatchesAnLstrcmpiSetWithCaseVariants)
{
    std::mt19937 random(7);
    std::vector<std::wstring> texts;
    for (int i = 0; i < 1500; ++i) {
        std::wstring text = RandomText(random, 5);
        texts.push_back(text);
        // A variant in other letter case, sometimes added first.
        for (wchar_t& unit : text)
            if (random() % 2) ::CharUpperBuffW(&unit, 1);
        texts.insert(texts.end() - (random() % 2), text);
    }
    ExpectListMatchesLstrcmpiSet(texts);
}

TEST(ResultOrder, MatchesAnLstrcmpiSetForPathsInWalkOrder)
{
    std::vector<std::wstring> texts;
    for (int folder = 0; folder < 30; ++folder) {
        const std::wstring name = L"C:\\Data\\Folder " + std::to_wstring(folder);
        texts.push_back(name);
        for (int file = 40; file > 0; --file)
            texts.push_back(name + L"\\file-" + std::to_wstring(file * 7 % 23) + L".TXT");
        texts.push_back(name + L"\\FILE-3.txt");
    }
    ExpectListMatchesLstrcmpiSet(texts);
}

TEST(ResultOrder, AlternateSortOrderIsLeftToLstrcmpi)
{
    for (LCID locale : Locales()) EXPECT_TRUE(KeysFollowLstrcmpi(locale)) << std::hex << locale;
    EXPECT_FALSE(KeysFollowLstrcmpi(kGermanPhoneBook));
    ThreadLocale phoneBook(kGermanPhoneBook);
    std::vector<std::wstring> texts = kPieces;
    for (const wchar_t* text :
         {L"M\u00fcller", L"Mueller", L"Muller", L"M\u00fcller.txt", L"mueller", L"\u00e4b", L"aeb", L"ab"})
        texts.push_back(text);
    ExpectListMatchesLstrcmpiSet(texts);
}

TEST(ResultOrder, IgnorableCharactersOrderLinesButNeverMergeThem)
{
    ExpectListMatchesLstrcmpiSet({L"b", L"", L"\u00ad", L"a", L"\u200b", L"", L"A\u00ad", L"a", L"a\u00ad"});
    ResultList list;
    for (const wchar_t* text : {L"ab.txt", L"a\u00adb.txt", L"AB.TXT", L"a\u00ADB.txt"}) list.Append(text);
    std::vector<std::wstring> kept;
    for (const ResultLine& line : list) kept.push_back(std::wstring(line.text));
    EXPECT_EQ(kept, (std::vector<std::wstring>{L"ab.txt", L"a\u00adb.txt"})) << "letter case alone merges";
}

TEST(ResultOrder, ManyRunsMergeAsOneSetWithTheFirstOfEqualLinesKept)
{
    // Enough text for several sorted runs: equal lines meet across runs.
    std::vector<std::wstring> texts;
    for (int folder = 0; folder < 400; ++folder) {
        const std::wstring name = L"C:\\Users\\someone\\Folder " + std::to_wstring(folder * 7919 % 1000);
        texts.push_back(name);
        for (int file = 0; file < 100; ++file) texts.push_back(name + L"\\file-" + std::to_wstring(file * 37 % 101) + L".txt");
    }
    for (std::size_t i = 0; i < texts.size(); i += 97) {
        std::wstring variant = texts[i];
        ::CharUpperBuffW(variant.data(), static_cast<DWORD>(variant.size()));
        texts.push_back(variant);
    }
    texts.push_back(L"");
    texts.push_back(L"\u00ad");
    // The same text of another file stays, across runs too; of the same file it goes.
    std::vector<Line> lines;
    for (const std::wstring& text : texts) lines.push_back({text, L"source of " + text});
    for (std::size_t i = 0; i < texts.size(); i += 89) {
        lines.push_back({texts[i], L"another source"});
        lines.push_back({texts[i], L"SOURCE OF " + texts[i]});
    }
    ExpectListMatchesReference(lines);
}

TEST(ResultOrder, ColumnsFollowTheirLinesAndAddedLinesComeAfterArrangedOnes)
{
    ResultList list;
    for (const wchar_t* text : {L"b.txt", L"a.txt", L"c.txt"}) list.Append(text);
    list.ReserveColumns(5);
    for (const ResultLine& line : list) list.SetColumns(line.index, line.text == L"a.txt" ? L"\tzzzz" : L"\t00");
    std::vector<std::wstring> texts;
    for (const ResultLine& line : list) texts.push_back(line.Text());
    EXPECT_EQ(texts, (std::vector<std::wstring>{L"a.txt\tzzzz", L"b.txt\t00", L"c.txt\t00"}));
    EXPECT_EQ(list.TextUnits(), 3u * (5 + 2) + 5 + 3 + 3);
    // Lines added later meet the arranged ones as lines added after them.
    list.Append(L"A.TXT");
    list.Append(L"bb.txt");
    texts.clear();
    for (const ResultLine& line : list) texts.push_back(line.Text());
    EXPECT_EQ(texts, (std::vector<std::wstring>{L"a.txt", L"b.txt", L"bb.txt", L"c.txt"}));
}

TEST(ResultOrder, CancelledArrangeEmptiesTheList)
{
    ResultList list;
    for (int i = 0; i < 5000; ++i) list.Append(L"line " + std::to_wstring(i * 37 % 5000));
    std::atomic<bool> running{false};
    std::atomic<std::uint64_t> position{0};
    EXPECT_FALSE(list.Arrange(ArrangeWatch{&running, &position}));
    EXPECT_TRUE(list.empty());
    EXPECT_LT(position.load(), ResultList::ArrangeSteps(5000));
    list.Append(L"again");
    EXPECT_EQ(list.begin()->text, L"again");
}

TEST(ResultOrder, RunningOutOfMemoryLeavesAnUsableList)
{
    ResultList list;
    {
        FailingAllocation failing(0);
        EXPECT_THROW(list.Append(L"the first line needs a chunk"), std::bad_alloc);
    }
    EXPECT_TRUE(list.empty());
    int failures = 0;
    for (long after = 0; after < 200; ++after) {
        for (int i = 0; i < 50; ++i) list.Append(L"line " + std::to_wstring(i * 37 % 50), L"source");
        bool arranged = false;
        {
            FailingAllocation failing(after);
            try {
                arranged = list.Arrange();
            } catch (const std::bad_alloc&) {
                ++failures;
            }
            // A sort that finds no memory for its buffer sorts in place instead.
            ASSERT_TRUE(arranged || failing.Fired());
        }
        if (arranged) {
            EXPECT_EQ(list.size(), 50u);
            EXPECT_EQ(list.begin()->text, L"line 0");
            break;
        }
        ASSERT_TRUE(list.empty()) << "after " << after;
    }
    EXPECT_GT(failures, 0);
}

} // namespace
} // namespace lumbrix::test
