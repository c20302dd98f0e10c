#include "shellext/package_presence.h"

#include "common/module_identity.h"
#include "job/file_name_case.h"
#include "job/path_strings.h"
#include "settings/registry_key.h"

#include <objbase.h>

#include <atomic>
#include <cwchar>
#include <memory>
#include <vector>

namespace lumbrix {
namespace {

// Set by users who switch Windows 11 back to the old menu, which then shows
// no packaged command.
constexpr wchar_t kOldMenuSwitch[] =
    L"Software\\Classes\\CLSID\\{86ca1aa0-34aa-4e8b-a509-50c905bae2a2}\\InprocServer32";
constexpr UINT32 kEffectiveExternalPath = 5; // PackagePathType_EffectiveExternal

// The build as the registry says it: version queries are shimmed for hosts
// without a manifest.
bool IsWindows11() noexcept
{
    RegistryKey key(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", /*create=*/false,
                    /*borrow=*/false, KEY_QUERY_VALUE);
    const UniqueRegString build = key.GetOwnedString(L"CurrentBuildNumber");
    return build && std::wcstoul(build.get(), nullptr, 10) >= 22000;
}

// The module path of module, or empty.
std::wstring ModulePath(HMODULE module)
{
    std::wstring path(32768, L'\0');
    const DWORD length = ::GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
    path.resize(length < path.size() ? length : 0);
    return path;
}

bool HostIsTheFileManager()
{
    return FileNamesEqual(NamePart(ModulePath(nullptr)), L"explorer.exe");
}

bool OldMenuSwitchAbsent() noexcept
{
    HKEY key = nullptr;
    const LSTATUS status = ::RegOpenKeyExW(HKEY_CURRENT_USER, kOldMenuSwitch, 0, KEY_QUERY_VALUE, &key);
    const UniqueHKey owned(key);
    return status == ERROR_FILE_NOT_FOUND;
}

template <typename Function>
Function SystemFunction(const char* name) noexcept
{
    // Looked up at run time: older systems (and Wine) do not have them.
    for (const wchar_t* module : {L"kernel32.dll", L"kernelbase.dll"})
        if (const HMODULE handle = ::GetModuleHandleW(module))
            if (const FARPROC function = ::GetProcAddress(handle, name)) return reinterpret_cast<Function>(function);
    return nullptr;
}

bool SystemPackageLocation(const wchar_t* family, std::wstring& location)
{
    using GetPackagesFn = LONG(WINAPI*)(PCWSTR, UINT32*, PWSTR*, UINT32*, WCHAR*);
    using GetPathFn = LONG(WINAPI*)(PCWSTR, UINT32, UINT32*, PWSTR);
    const auto getPackages = SystemFunction<GetPackagesFn>("GetPackagesByPackageFamily");
    const auto getPath = SystemFunction<GetPathFn>("GetPackagePathByFullName2");
    if (!getPackages || !getPath) return false;
    UINT32 count = 0;
    UINT32 length = 0;
    if (getPackages(family, &count, nullptr, &length, nullptr) != ERROR_INSUFFICIENT_BUFFER || count != 1) return false;
    PWSTR fullName = nullptr;
    std::vector<WCHAR> names(length);
    if (getPackages(family, &count, &fullName, &length, names.data()) != ERROR_SUCCESS || count != 1) return false;
    UINT32 pathLength = 0;
    if (getPath(fullName, kEffectiveExternalPath, &pathLength, nullptr) != ERROR_INSUFFICIENT_BUFFER) return false;
    location.assign(pathLength, L'\0');
    if (getPath(fullName, kEffectiveExternalPath, &pathLength, location.data()) != ERROR_SUCCESS) return false;
    location.resize(std::wcslen(location.c_str()));
    return true;
}

std::atomic<PackageLocationQuery> packageLocationQuery{nullptr};

bool PackageServesThisModule()
{
    wchar_t classKey[48] = L"CLSID\\";
    if (::StringFromGUID2(CLSID_LumbrixMenu, classKey + 6, 40) == 0) return false;
    RegistryKey key(HKEY_CLASSES_ROOT, classKey, /*create=*/false, /*borrow=*/false, KEY_QUERY_VALUE);
    const UniqueRegString family = key.GetOwnedString(L"PackageFamilyName");
    if (!family || family.get()[0] == L'\0') return false;
    const PackageLocationQuery query = packageLocationQuery.load();
    std::wstring location;
    if (!(query ? query : SystemPackageLocation)(family.get(), location)) return false;
    // A package left behind by a failed removal points at a folder that no
    // longer holds this DLL.
    const std::wstring folder = ParentPart(ModulePath(moduleInstance));
    return !folder.empty() && FileNamesEqual(WithoutTrailingBackslashes(location), folder);
}

} // namespace

bool PackagedCommandTakesThePlace() noexcept
try {
    return HostIsTheFileManager() && OldMenuSwitchAbsent() && IsWindows11() && PackageServesThisModule();
} catch (...) { // no memory for a path: the classic entry shows
    return false;
}

void SetPackageLocationQuery(PackageLocationQuery query) noexcept { packageLocationQuery.store(query); }

} // namespace lumbrix
