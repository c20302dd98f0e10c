// The pure path strings on Linux, where the sanitizers watch every index and
// every allocation. wchar_t is 32 bits here; the cases keep to the BMP.

#include "common/long_path.h"
#include "job/path_strings.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace lumbrix {
namespace {

TEST(PathParts, SplitAtTheLastBackslashExceptForDriveRoots)
{
    EXPECT_EQ(ParentPart(L"C:\\Data\\Proj"), L"C:\\Data");
    EXPECT_EQ(NamePart(L"C:\\Data\\Proj"), L"Proj");
    EXPECT_EQ(ParentPart(L"D:\\"), L"D:\\");
    EXPECT_EQ(NamePart(L"D:\\"), L"");
    EXPECT_EQ(ParentPart(L"name"), L"name");
    EXPECT_EQ(NamePart(L"name"), L"name");
    EXPECT_EQ(ParentPart(L""), L"");
    EXPECT_EQ(NamePart(L"trailing\\"), L"");
    EXPECT_TRUE(IsDriveRoot(L"d:\\"));
    EXPECT_FALSE(IsDriveRoot(L"D:"));
    EXPECT_FALSE(IsDriveRoot(L"1:\\"));
    EXPECT_FALSE(IsDriveRoot(L"D:\\x"));
}

TEST(PathParts, JoinAndStripTheFirstComponent)
{
    EXPECT_EQ(JoinPath(L"", L"b"), L"b");
    EXPECT_EQ(JoinPath(L"D:\\", L"src"), L"D:\\src");
    EXPECT_EQ(JoinPath(L"a", L"b"), L"a\\b");
    EXPECT_EQ(StripFirstComponent(L"Proj\\src\\main.c"), L"src\\main.c");
    EXPECT_EQ(StripFirstComponent(L"Proj"), L"");
    EXPECT_EQ(StripFirstComponent(L"Proj\\"), L"");
    EXPECT_EQ(StripFirstComponent(L""), L"");
}

TEST(PathParts, TrailingBackslashesGoExceptADrivesRoot)
{
    EXPECT_EQ(WithoutTrailingBackslashes(L"C:\\Data\\Proj\\"), L"C:\\Data\\Proj");
    EXPECT_EQ(WithoutTrailingBackslashes(L"C:\\Data\\\\"), L"C:\\Data");
    EXPECT_EQ(WithoutTrailingBackslashes(L"C:\\"), L"C:\\");
    EXPECT_EQ(WithoutTrailingBackslashes(L"C:\\\\"), L"C:\\");
    EXPECT_EQ(WithoutTrailingBackslashes(L"\\\\?\\C:\\"), L"\\\\?\\C:\\");
    EXPECT_EQ(WithoutTrailingBackslashes(L"\\\\srv\\share\\"), L"\\\\srv\\share");
    EXPECT_EQ(WithoutTrailingBackslashes(L"\\\\"), L"\\\\");
    EXPECT_EQ(WithoutTrailingBackslashes(L""), L"");
}

TEST(Separators, ControlCharactersBecomeTheirPictures)
{
    std::wstring name = L"a\tb\r\nc\x01\x1F \x7F\u65E5";
    ReplaceControlCharacters(name);
    EXPECT_EQ(name, L"a\u2409b\u240D\u240Ac\u2401\u241F \x7F\u65E5");
}

TEST(Separators, DoubledBackslashes)
{
    EXPECT_EQ(DoubleBackslashes(L"C:\\a\\b"), L"C:\\\\a\\\\b");
    EXPECT_EQ(DoubleBackslashes(L"\\\\"), L"\\\\\\\\");
    EXPECT_EQ(DoubleBackslashes(L""), L"");
}

TEST(Separators, FileUrlsAndPercentEncoding)
{
    EXPECT_EQ(ToFileUrl(L"C:\\Docs\\x.txt"), L"file://C:/Docs/x.txt");
    EXPECT_EQ(ToFileUrl(L"\\\\srv\\share\\x.txt"), L"file://///srv/share/x.txt");
    EXPECT_EQ(ToFileUrl(L"D:\\"), L"file://D:/");
    EXPECT_EQ(ToFileUrl(L"Proj\\a b.txt"), L"Proj/a%20b.txt");
    EXPECT_EQ(ToFileUrl(L"C:"), L"C:");
    EXPECT_EQ(ToFileUrl(L"\\"), L"/");
    EXPECT_EQ(ToFileUrl(L""), L"");
    EXPECT_EQ(PercentEncode(L"100%.txt"), L"100%25.txt");
    EXPECT_EQ(PercentEncode(L"a~b_(1)!*'.-:/"), L"a~b_(1)!*'.-:/");
    EXPECT_EQ(PercentEncode(L"#&+,;=@[]^`{|}\x7F"), L"%23%26%2B%2C%3B%3D%40%5B%5D%5E%60%7B%7C%7D%7F");
    EXPECT_EQ(PercentEncode(std::wstring(1, L'\0') + L"\t"), L"%00%09");
    EXPECT_EQ(PercentEncode(L"\u65E5\u672C\u0080"), L"\u65E5\u672C\u0080");
}

TEST(Numbers, GroupedByThousandsOverTheWholeRange)
{
    EXPECT_EQ(FormatGrouped(0), L"0");
    EXPECT_EQ(FormatGrouped(999), L"999");
    EXPECT_EQ(FormatGrouped(1000), L"1,000");
    EXPECT_EQ(FormatGrouped(1234567), L"1,234,567");
    EXPECT_EQ(FormatGrouped(-1234), L"-1,234");
    EXPECT_EQ(FormatGrouped(std::numeric_limits<std::int64_t>::max()), L"9,223,372,036,854,775,807");
    EXPECT_EQ(FormatGrouped(std::numeric_limits<std::int64_t>::min()), L"-9,223,372,036,854,775,808");
}

TEST(LongPaths, ExtendedLengthPrefixes)
{
    EXPECT_EQ(ToExtendedLengthPath(L"C:\\a"), L"\\\\?\\C:\\a");
    EXPECT_EQ(ToExtendedLengthPath(L"\\\\srv\\share\\a"), L"\\\\?\\UNC\\srv\\share\\a");
    EXPECT_EQ(ToExtendedLengthPath(L"\\\\?\\C:\\a"), L"\\\\?\\C:\\a");
    EXPECT_EQ(ToExtendedLengthPath(L"\\\\.\\pipe"), L"\\\\.\\pipe");
    EXPECT_EQ(ToExtendedLengthPath(L"rel\\a"), L"rel\\a");
    EXPECT_EQ(ToExtendedLengthPath(L"\\\\"), L"\\\\");
}

} // namespace
} // namespace lumbrix

// The path styles, quotes and names without extension: every style on full,
// relative and name columns, drive roots, network and extended-length paths,
// with the escape and URL options and each quoting.

#include "job/path_styles.h"

namespace lumbrix {
namespace {

// Y: maps a share's subfolder, X: a share with a trailing backslash, W: a
// name that is no network name; every other drive is local.
class FakeRemoteNames final : public DriveRemoteNames {
public:
    std::wstring_view RemoteNameOf(wchar_t letter) noexcept override
    {
        ++asked;
        if (letter == L'Y') return L"\\\\fs01\\share\\sub";
        if (letter == L'X') return L"\\\\fs02\\data\\";
        if (letter == L'W') return L"\\\\?\\C:\\";
        return {};
    }
    int asked = 0;
};

struct ColumnCase {
    std::wstring_view column;
    ColumnKind kind;
    PathStyle style;
    QuoteStyle quotes;
    bool escape, url;
    std::wstring_view expected;
    bool folder = false;
};

TEST(PathStyles, EveryStyleOnEveryKindOfColumn)
{
    using K = ColumnKind;
    using S = PathStyle;
    constexpr QuoteStyle none = QuoteStyle::None, needed = QuoteStyle::WhereNeeded, always = QuoteStyle::Always;
    const ColumnCase cases[] = {
        {L"C:\\Users\\a b.txt", K::FullPath, S::Windows, none, false, false, L"C:\\Users\\a b.txt"},
        {L"C:\\Users\\a b.txt", K::FullPath, S::Windows, needed, false, false, L"\"C:\\Users\\a b.txt\""},
        {L"C:\\Users\\ab.txt", K::FullPath, S::Windows, needed, false, false, L"C:\\Users\\ab.txt"},
        {L"C:\\Users\\ab.txt", K::FullPath, S::Windows, always, false, false, L"\"C:\\Users\\ab.txt\""},
        {L"C:\\a\\b", K::FullPath, S::Windows, none, true, true, L"C:\\\\a\\\\b"},
        {L"C:\\a b", K::FullPath, S::Windows, needed, false, true, L"\"file://C:/a%20b\""},
        {L"Y:\\d", K::FullPath, S::Windows, none, false, false, L"Y:\\d"},
        {L"a\"b", K::Name, S::Windows, needed, false, false, L"\"a\"\"b\""},
        // Network names of mapped drives: full paths only, before the URL form.
        {L"Y:\\d\\f.txt", K::FullPath, S::NetworkUnc, none, false, false, L"\\\\fs01\\share\\sub\\d\\f.txt"},
        {L"Y:\\", K::FullPath, S::NetworkUnc, none, false, false, L"\\\\fs01\\share\\sub"},
        {L"y:\\d", K::FullPath, S::NetworkUnc, none, false, false, L"\\\\fs01\\share\\sub\\d"},
        {L"X:\\d", K::FullPath, S::NetworkUnc, none, false, false, L"\\\\fs02\\data\\d"},
        {L"X:\\", K::FullPath, S::NetworkUnc, none, false, false, L"\\\\fs02\\data"},
        {L"W:\\d", K::FullPath, S::NetworkUnc, none, false, false, L"W:\\d"},
        {L"C:\\d", K::FullPath, S::NetworkUnc, none, false, false, L"C:\\d"},
        {L"\\\\srv\\share\\x", K::FullPath, S::NetworkUnc, none, false, false, L"\\\\srv\\share\\x"},
        {L"Y:\\", K::Name, S::NetworkUnc, none, false, false, L"Y:\\"},
        {L"Y:\\d\\f.txt", K::FullPath, S::NetworkUnc, none, false, true, L"file://///fs01/share/sub/d/f.txt"},
        {L"Y:\\d", K::FullPath, S::NetworkUnc, none, true, false, L"\\\\\\\\fs01\\\\share\\\\sub\\\\d"},
        {L"\\\\?\\Y:\\d", K::FullPath, S::NetworkUnc, none, false, false, L"\\\\?\\UNC\\fs01\\share\\sub\\d"},
        {L"\\\\?\\Y:\\d", K::FullPath, S::NetworkUnc, none, false, true, L"file://///fs01/share/sub/d"},
        {L"Y:\\a b", K::FullPath, S::NetworkUnc, needed, false, false, L"\"\\\\fs01\\share\\sub\\a b\""},
        // Slashes, WSL and MSYS; a URL is its own form.
        {L"C:\\Users\\x", K::FullPath, S::Slashes, none, false, false, L"C:/Users/x"},
        {L"C:\\", K::FullPath, S::Slashes, none, false, false, L"C:/"},
        {L"\\\\srv\\share\\x", K::FullPath, S::Slashes, none, false, false, L"//srv/share/x"},
        {L"Proj\\src\\main.c", K::Relative, S::Slashes, none, false, false, L"Proj/src/main.c"},
        {L"C:\\a\\b", K::FullPath, S::Slashes, none, true, false, L"C:/a/b"},
        {L"C:\\a b", K::FullPath, S::Slashes, none, false, true, L"file://C:/a%20b"},
        {L"\\\\?\\C:\\x", K::FullPath, S::Slashes, none, false, false, L"C:/x"},
        {L"\\\\?\\UNC\\srv\\share\\x", K::FullPath, S::Slashes, none, false, false, L"//srv/share/x"},
        {L"C:\\Users\\x", K::FullPath, S::Wsl, none, false, false, L"/mnt/c/Users/x"},
        {L"D:\\", K::FullPath, S::Wsl, none, false, false, L"/mnt/d/"},
        {L"\\\\srv\\share\\x", K::FullPath, S::Wsl, none, false, false, L"//srv/share/x"},
        {L"Proj\\a b.txt", K::Relative, S::Wsl, needed, false, false, L"\"Proj/a b.txt\""},
        {L"\\\\?\\C:\\x", K::FullPath, S::Wsl, none, false, false, L"/mnt/c/x"},
        {L"\\\\?\\Volume{1}\\x", K::FullPath, S::Wsl, none, false, false, L"//?/Volume{1}/x"},
        {L"Y:\\d", K::FullPath, S::Wsl, none, false, false, L"/mnt/y/d"},
        {L"\\\\?\\C:\\x y", K::FullPath, S::Wsl, none, false, true, L"file://C:/x%20y"},
        {L"C:\\x", K::FullPath, S::Wsl, always, true, false, L"\"/mnt/c/x\""},
        {L"C:\\Users\\x", K::FullPath, S::Msys, none, false, false, L"/c/Users/x"},
        {L"E:\\", K::FullPath, S::Msys, none, false, false, L"/e/"},
        {L"\\\\srv\\share\\x", K::FullPath, S::Msys, none, false, false, L"//srv/share/x"},
        {L"Proj\\x", K::Relative, S::Msys, none, false, false, L"Proj/x"},
        {L"\\\\.\\UNC\\srv\\s\\x", K::FullPath, S::Msys, none, false, false, L"//srv/s/x"},
        {L"LONG~1.TXT", K::Name, S::Msys, needed, false, false, L"\"LONG~1.TXT\""},
        // Names without their last extension: files only.
        {L"a.tar.gz", K::NameWithoutExtension, S::Windows, none, false, false, L"a.tar"},
        {L"a b.txt", K::NameWithoutExtension, S::Windows, needed, false, false, L"\"a b\""},
        {L"a.b", K::NameWithoutExtension, S::Windows, none, false, false, L"a.b", true},
        {L"Y:\\", K::NameWithoutExtension, S::NetworkUnc, none, false, false, L"Y:\\", true},
        {L"a.txt", K::Name, S::Windows, none, false, false, L"a.txt"},
    };
    for (const ColumnCase& c : cases) {
        FakeRemoteNames names;
        std::wstring column(c.column);
        OutputOptions options;
        options[EscapePathSeparator] = c.escape;
        options[OutputURL] = c.url;
        FormPathColumn(column, c.kind, c.folder, MakeColumnForm(options, c.style, c.quotes), &names);
        EXPECT_EQ(column, c.expected) << std::wstring(c.column) << " style " << static_cast<int>(c.style);
        // Only a full path in the network style asks for a drive's name.
        if (c.style != S::NetworkUnc || c.kind != K::FullPath) {
            EXPECT_EQ(names.asked, 0);
        }
    }
}

TEST(PathStyles, WindowsStyleKeepsTodaysSeparatorsAndUrls)
{
    // The column the line builder made before the styles, for every input.
    for (const std::wstring input : {L"C:\\a b\\100%.txt", L"\\\\srv\\s\\x", L"D:\\", L"Proj\\a~b", L"\\\\?\\C:\\x"}) {
        for (const bool escape : {false, true}) {
            for (const bool url : {false, true}) {
                OutputOptions options;
                options[EscapePathSeparator] = escape;
                options[OutputURL] = url;
                std::wstring column = input;
                FormPathColumn(column, ColumnKind::FullPath, false,
                               MakeColumnForm(options, PathStyle::Windows, QuoteStyle::None), nullptr);
                EXPECT_EQ(column, escape ? DoubleBackslashes(input) : url ? ToFileUrl(input) : input);
            }
        }
    }
}

TEST(PathStyles, StepsOnTheirOwn)
{
    EXPECT_EQ(PathStyleFromStored(4), PathStyle::Msys);
    EXPECT_EQ(PathStyleFromStored(5), PathStyle::Windows);
    EXPECT_EQ(PathStyleFromStored(0xFFFFFFFF), PathStyle::Windows);
    EXPECT_EQ(QuoteStyleFromStored(2), QuoteStyle::Always);
    EXPECT_EQ(QuoteStyleFromStored(3), QuoteStyle::None);

    for (const wchar_t c : std::wstring_view(L" &()[]{}^=;!'+,`~%\""))
        EXPECT_TRUE(NeedsQuotes(std::wstring(L"a") + c)) << static_cast<int>(c);
    EXPECT_FALSE(NeedsQuotes(L"C:\\Users\\x-y_z.txt#@$\u65E5"));

    for (const auto& [name, stem] : {std::pair<std::wstring, std::wstring>{L".gitignore", L".gitignore"},
                                     {L"..", L".."}, {L".a.b", L".a"}, {L"name.", L"name"}, {L"noext", L"noext"},
                                     {L"dir.d\\noext", L"dir.d\\noext"}, {L"dir\\f.c", L"dir\\f"}, {L"", L""}}) {
        std::wstring trimmed = name;
        RemoveLastExtension(trimmed);
        EXPECT_EQ(trimmed, stem);
    }

    EXPECT_EQ(UsableRemoteName(L"\\\\fs01\\share\\\\"), L"\\\\fs01\\share");
    for (const std::wstring_view remote : {L"", L"\\\\", L"\\\\\\x", L"\\\\.\\pipe", L"C:\\share", L"http://x"})
        EXPECT_TRUE(UsableRemoteName(remote).empty());

    // A column far past its buffer's size grows where it must and keeps every unit.
    std::wstring column = L"Y:" + std::wstring(5000, L'\\');
    std::wstring expected = L"\"//fs01/share/sub" + std::wstring(5000, L'/') + L"\"\"\"";
    FakeRemoteNames names;
    ReplaceMappedDrive(column, names, false);
    ApplyPathStyle(column, PathStyle::Slashes);
    column += L"\"";
    QuoteColumn(column, QuoteStyle::Always);
    EXPECT_EQ(column, expected);
}

} // namespace
} // namespace lumbrix
