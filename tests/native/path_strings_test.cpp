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
