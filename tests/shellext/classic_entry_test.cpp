// Whether the classic entry leaves its place to the Windows 11 package's
// command: only in the file manager, without the switch back to the old menu,
// on Windows 11, with the package serving this very DLL's folder. The package
// query goes through its seam (Wine has no package API); the registry is
// redirected for this process, where Wine's build (Windows 10) is replaced.
// Built twice: as explorer.exe, and under a name of its own, where the entry
// shows whatever else holds.

#include "common/module_identity.h"
#include "handler_fixture.h"
#include "job/path_strings.h"
#include "shellext/package_presence.h"

#include <gtest/gtest.h>

#include <string>

namespace lumbrix::test {
namespace {

std::wstring ExePath()
{
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

std::wstring packageLocation; // what the package query answers; empty: no package
bool AnswerLocation(const wchar_t* family, std::wstring& location)
{
    if (std::wstring(family) != L"Orvane.Lumbrix64_6pbcrcc4yb87y" || packageLocation.empty()) return false;
    location = packageLocation;
    return true;
}

class ClassicEntry : public ::testing::Test {
protected:
    static constexpr wchar_t kScratch[] = L"Software\\LumbrixTest\\ClassicEntry";

    void SetUp() override
    {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kScratch);
        classes_ = Create(L"\\Classes");
        machine_ = Create(L"\\Machine");
        user_ = Create(L"\\User");
        wchar_t classId[40] = {};
        ::StringFromGUID2(CLSID_LumbrixMenu, classId, 40);
        SetString(classes_, std::wstring(L"CLSID\\") + classId, L"PackageFamilyName", L"Orvane.Lumbrix64_6pbcrcc4yb87y");
        SetBuild(L"22631");
        ASSERT_EQ(::RegOverridePredefKey(HKEY_CLASSES_ROOT, classes_), 0);
        ASSERT_EQ(::RegOverridePredefKey(HKEY_LOCAL_MACHINE, machine_), 0);
        ASSERT_EQ(::RegOverridePredefKey(HKEY_CURRENT_USER, user_), 0);
        SetPackageLocationQuery(AnswerLocation);
        // This very DLL's folder, as the system may write it.
        packageLocation = ParentPart(ExePath()) + L"\\";
        CharUpperW(packageLocation.data());
    }
    void TearDown() override
    {
        SetPackageLocationQuery(nullptr);
        ::RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
        ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
        ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        for (HKEY key : {classes_, machine_, user_}) ::RegCloseKey(key);
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kScratch);
    }

    static HKEY Create(const wchar_t* part)
    {
        HKEY key = nullptr;
        ::RegCreateKeyExW(HKEY_CURRENT_USER, (std::wstring(kScratch) + part).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                          nullptr, &key, nullptr);
        return key;
    }
    static void SetString(HKEY root, const std::wstring& path, const wchar_t* name, const std::wstring& data)
    {
        ::RegSetKeyValueW(root, path.c_str(), name, REG_SZ, data.c_str(),
                          static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    }
    void SetBuild(const wchar_t* build)
    {
        SetString(machine_, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", L"CurrentBuildNumber", build);
    }

    // Whether the handler inserts its entry into a context menu.
    static bool EntryShows()
    {
        ComPtr<LumbrixMenu> handler = NewHandler();
        const HMENU menu = ::CreatePopupMenu();
        handler->QueryContextMenu(menu, 0, 1, 100, CMF_NORMAL);
        const bool shown = ::GetMenuItemCount(menu) == 1;
        ::DestroyMenu(menu);
        return shown;
    }

    HKEY classes_ = nullptr;
    HKEY machine_ = nullptr;
    HKEY user_ = nullptr;
};

TEST_F(ClassicEntry, LeavesItsPlaceOnlyWhereThePackagedCommandIsSureToShow)
{
    const bool inFileManager = NamePart(ExePath()) == L"explorer.exe";
    EXPECT_EQ(EntryShows(), !inFileManager) << "everything holds";

    // Each condition missing in turn gives the entry back.
    const std::wstring switchKey =
        L"Software\\Classes\\CLSID\\{86ca1aa0-34aa-4e8b-a509-50c905bae2a2}\\InprocServer32";
    SetString(user_, switchKey, nullptr, L"");
    EXPECT_TRUE(EntryShows()) << "the old menu shows no packaged command";
    ::RegDeleteTreeW(user_, L"Software\\Classes");
    EXPECT_EQ(EntryShows(), !inFileManager);

    packageLocation = L"C:\\Program Files\\Lumbrix64";
    EXPECT_TRUE(EntryShows()) << "a package left behind serves another folder";
    packageLocation.clear();
    EXPECT_TRUE(EntryShows()) << "no package registered, or no answer";

    packageLocation = ParentPart(ExePath());
    EXPECT_EQ(EntryShows(), !inFileManager);
    SetBuild(L"19045");
    EXPECT_TRUE(EntryShows()) << "Windows 10";
}

} // namespace
} // namespace lumbrix::test
