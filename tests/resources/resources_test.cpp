// The resources that the built DLL carries, read from the file as data.

#include "common/text_format.h"
#include "common/text_table.h"
#include "resources/resource_ids.h"
#include "support/display_language.h"
#include "support/test_paths.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <cwctype>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace lumbrix::test {
namespace {

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width, height, colorCount, reserved;
    WORD planes, bitCount;
    DWORD bytesInRes;
    WORD id;
};
struct GroupIconHeader {
    WORD reserved, type, count;
};
#pragma pack(pop)

class DllResources : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        module_ = ::LoadLibraryExW(DllPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    }
    static void TearDownTestSuite() { ::FreeLibrary(module_); }
    void SetUp() override { ASSERT_NE(module_, nullptr) << "cannot open the DLL as data"; }

    // The bytes of one resource; empty when it is missing.
    static std::string Resource(const wchar_t* type, const wchar_t* name)
    {
        HRSRC found = ::FindResourceW(module_, name, type);
        if (!found) return {};
        const void* data = ::LockResource(::LoadResource(module_, found));
        return std::string(static_cast<const char*>(data), ::SizeofResource(module_, found));
    }

    static inline HMODULE module_ = nullptr;
};

TEST_F(DllResources, MenuBitmapIsSixteenPixelsSquareInTwentyFourBits)
{
    const std::string bitmap = Resource(RT_BITMAP, MAKEINTRESOURCEW(IDB_MENU_BITMAP));
    ASSERT_GE(bitmap.size(), sizeof(BITMAPINFOHEADER));
    const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(bitmap.data());
    EXPECT_EQ(header->biWidth, 16);
    EXPECT_EQ(std::abs(header->biHeight), 16);
    EXPECT_EQ(header->biBitCount, 24);
    EXPECT_GE(bitmap.size(), header->biSize + 16u * 48u) << "all pixel rows present";
}

TEST_F(DllResources, IconGroupHasThreeSizesInSixteenAndTwoHundredFiftySixColours)
{
    const std::string group = Resource(RT_GROUP_ICON, MAKEINTRESOURCEW(IDI_LUMBRIX_ICON));
    ASSERT_GE(group.size(), sizeof(GroupIconHeader));
    const auto* header = reinterpret_cast<const GroupIconHeader*>(group.data());
    ASSERT_EQ(group.size(), sizeof(GroupIconHeader) + header->count * sizeof(GroupIconEntry));
    const auto* entries = reinterpret_cast<const GroupIconEntry*>(header + 1);
    std::set<std::pair<int, int>> images; // (size, bits per pixel)
    for (WORD i = 0; i < header->count; ++i) {
        EXPECT_EQ(entries[i].width, entries[i].height);
        images.insert({entries[i].width, entries[i].bitCount});
        EXPECT_FALSE(Resource(RT_ICON, MAKEINTRESOURCEW(entries[i].id)).empty()) << "image " << entries[i].id;
    }
    EXPECT_EQ(images, (std::set<std::pair<int, int>>{{16, 4}, {32, 4}, {48, 4}, {16, 8}, {32, 8}, {48, 8}}));
}

// The processor the manifest names: amd64 unless the run says otherwise (the
// ARM64 DLL is read by the same program).
std::string ManifestArchitecture()
{
    char value[32];
    const DWORD length = ::GetEnvironmentVariableA("LUMBRIX_DLL_ARCH", value, sizeof(value));
    return length == 0 || length >= sizeof(value) ? "amd64" : std::string(value, length);
}

TEST_F(DllResources, ManifestAsksForCommonControlsSixForItsProcessor)
{
    const std::string architecture = "processorArchitecture=\"" + ManifestArchitecture() + "\"";
    const std::string manifest = Resource(RT_MANIFEST, MAKEINTRESOURCEW(IDR_COMMON_CONTROLS_MANIFEST));
    const std::size_t dependency = manifest.find("name=\"Microsoft.Windows.Common-Controls\"");
    ASSERT_NE(dependency, std::string::npos) << manifest;
    const std::size_t end = manifest.find("/>", dependency);
    const std::size_t start = manifest.rfind("<assemblyIdentity", dependency);
    const std::string identity = manifest.substr(start, end - start);
    EXPECT_NE(identity.find("version=\"6.0.0.0\""), std::string::npos) << identity;
    EXPECT_NE(identity.find(architecture), std::string::npos) << identity;
    const std::size_t own = manifest.find("name=\"Orvane.Lumbrix64\"");
    ASSERT_NE(own, std::string::npos) << manifest;
    const std::string ownIdentity = manifest.substr(own, manifest.find("/>", own) - own);
    EXPECT_NE(ownIdentity.find(architecture), std::string::npos) << ownIdentity;
}

TEST_F(DllResources, VersionRecordCarriesTheProjectsVersion)
{
    const std::string version = Resource(RT_VERSION, MAKEINTRESOURCEW(1) /* VS_VERSION_INFO */);
    ASSERT_FALSE(version.empty());
    const DWORD signature = 0xFEEF04BD;
    const std::size_t at = version.find(std::string(reinterpret_cast<const char*>(&signature), 4));
    ASSERT_NE(at, std::string::npos);
    ASSERT_LE(at + sizeof(VS_FIXEDFILEINFO), version.size());
    VS_FIXEDFILEINFO fixed;
    std::memcpy(&fixed, version.data() + at, sizeof(fixed));
    const DWORD numbers[4] = {LUMBRIX_VERSION_NUMBERS};
    EXPECT_EQ(fixed.dwFileVersionMS, numbers[0] << 16 | numbers[1]);
    EXPECT_EQ(fixed.dwFileVersionLS, numbers[2] << 16 | numbers[3]);
    EXPECT_EQ(fixed.dwProductVersionMS, fixed.dwFileVersionMS);
    EXPECT_EQ(fixed.dwProductVersionLS, fixed.dwFileVersionLS);
    const std::wstring description = L"クリップボードにファイル名をコピーx64";
    EXPECT_NE(version.find(std::string(reinterpret_cast<const char*>(description.c_str()), description.size() * 2)),
              std::string::npos)
        << "the description as UTF-16";
}

// --- The string tables ---

constexpr LANGID kJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);
constexpr LANGID kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
constexpr LANGID kNeutral = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);

// The texts of one language by id, from every string block the DLL has in
// that language (each block holds sixteen counted strings).
std::map<UINT, std::wstring> StringTable(HMODULE module, LANGID language)
{
    std::vector<UINT> blocks;
    ::EnumResourceNamesW(
        module, RT_STRING,
        [](HMODULE, LPCWSTR, LPWSTR name, LONG_PTR found) -> BOOL {
            if (IS_INTRESOURCE(name)) reinterpret_cast<std::vector<UINT>*>(found)->push_back(LOWORD(name));
            return TRUE;
        },
        reinterpret_cast<LONG_PTR>(&blocks));
    std::map<UINT, std::wstring> texts;
    for (const UINT block : blocks) {
        std::set<LANGID> languages; // FindResourceExW alone would fall back to another language
        ::EnumResourceLanguagesW(
            module, RT_STRING, MAKEINTRESOURCEW(block),
            [](HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR found) -> BOOL {
                reinterpret_cast<std::set<LANGID>*>(found)->insert(language);
                return TRUE;
            },
            reinterpret_cast<LONG_PTR>(&languages));
        if (!languages.count(language)) continue;
        const HRSRC found = ::FindResourceExW(module, RT_STRING, MAKEINTRESOURCEW(block), language);
        const auto* units = static_cast<const wchar_t*>(::LockResource(::LoadResource(module, found)));
        const DWORD count = ::SizeofResource(module, found) / sizeof(wchar_t);
        DWORD at = 0;
        for (UINT index = 0; index < 16 && at < count; ++index) {
            const DWORD length = units[at++];
            EXPECT_LE(length, count - at) << "block " << block;
            if (length > 0 && length <= count - at) texts[(block - 1) * 16 + index] = std::wstring(units + at, length);
            at += length;
        }
    }
    return texts;
}

TEST_F(DllResources, EveryTextIsInBothLanguagesWithTheSameConversions)
{
    const auto japanese = StringTable(module_, kJapanese);
    const auto english = StringTable(module_, kEnglish);
    EXPECT_GE(japanese.size(), 32u) << "both menus' labels and help texts at least";
    ASSERT_EQ(japanese.count(IDS_COMMAND_LABEL), 1u);
    EXPECT_EQ(japanese.at(IDS_COMMAND_LABEL), L"名前をコピー(&N)") << "the script read as UTF-8";
    for (const auto& [id, text] : japanese) EXPECT_EQ(english.count(id), 1u) << "id " << id << " has no English text";
    for (const auto& [id, text] : english) {
        EXPECT_EQ(japanese.count(id), 1u) << "id " << id << " has no Japanese text";
        EXPECT_FALSE(HasJapanese(text)) << id;
        if (japanese.count(id)) {
            EXPECT_TRUE(SameConversions(japanese.at(id).c_str(), text.c_str())) << id;
        }
    }
    // The names that no language changes are in a table of their own.
    const auto names = StringTable(module_, kNeutral);
    ASSERT_EQ(names.count(IDS_HANDLER_NAME), 1u);
    EXPECT_EQ(names.at(IDS_HANDLER_NAME), L"クリップボードにファイル名をコピーx64");
    for (const auto& [id, name] : names) EXPECT_EQ(japanese.count(id), 0u) << id;
}

TEST(TextTables, AMissingTextIsEmptyAndAFormatWithOtherConversionsGivesWayToItsSkeleton)
{
    constexpr UINT kUnused = IDS_TEXT_END - 1;
    ASSERT_STREQ(TextIn(TextLanguage::English, kUnused), L"");
    EXPECT_STREQ(Text(kUnused), L"");
    EXPECT_STREQ(Text(100000), L"");
    const wchar_t* skeleton = L"(%u/%u) %s";
    EXPECT_EQ(FormatText(IDS_STEP_SEARCHING_ITEM, skeleton), Text(IDS_STEP_SEARCHING_ITEM));
    EXPECT_EQ(FormatText(kUnused, skeleton), skeleton);
    EXPECT_EQ(FormatText(IDS_STEP_SEARCHING, L"%ls"), std::wstring(L"%ls")) << "a text without the conversion";
    EXPECT_TRUE(SameConversions(L"100%% of %ls", L"%ls"));
    EXPECT_FALSE(SameConversions(L"%ls: %u", L"%u: %ls")) << "the order counts";
    EXPECT_FALSE(SameConversions(L"%u", L"%u %u"));
    EXPECT_FALSE(SameConversions(L"%.2f", L"%0.2f"));
    EXPECT_FALSE(SameConversions(L"%l", L"%ls")) << "unfinished";
}

// The access key of a label: the character after its one "&", upper case; 0
// when there is none or more than one.
wchar_t AccessKey(const std::wstring& label)
{
    const std::size_t at = label.find(L'&');
    if (at == std::wstring::npos || at + 1 >= label.size() || label.find(L'&', at + 1) != std::wstring::npos)
        return 0;
    return static_cast<wchar_t>(std::towupper(label[at + 1]));
}

TEST_F(DllResources, EachMenuLabelHasOneAccessKeyAndNoMenuHasAKeyTwice)
{
    for (const LANGID language : {kJapanese, kEnglish}) {
        const auto texts = StringTable(module_, language);
        EXPECT_NE(AccessKey(texts.at(IDS_COMMAND_LABEL)), 0) << "the entry, language " << language;
        std::map<wchar_t, int> keys; // the submenu: commands 1 to 15
        for (int command = 1; command < 16; ++command) {
            const wchar_t key = AccessKey(texts.at(IDS_COMMAND_LABEL + command));
            EXPECT_NE(key, 0) << "command " << command << ", language " << language;
            const auto [first, added] = keys.emplace(key, command);
            EXPECT_TRUE(added) << "commands " << first->second << " and " << command << ", language " << language;
        }
    }
}

} // namespace
} // namespace lumbrix::test
