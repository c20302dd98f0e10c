// The resources that the built DLL carries, read from the file as data.

#include "resources/resource_ids.h"
#include "support/test_paths.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <set>
#include <string>
#include <utility>

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
}

} // namespace
} // namespace lumbrix::test
