#include "shellext/package_presence.h"

#include "common/module_identity.h"
#include "settings/registry_key.h"

#include <objbase.h>

#include <cwchar>

namespace lumbrix {
namespace {

// The build as the registry says it: version queries are shimmed for hosts
// without a manifest.
bool IsWindows11() noexcept
{
    RegistryKey key(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", /*create=*/false,
                    /*borrow=*/false, KEY_QUERY_VALUE);
    const UniqueRegString build = key.GetOwnedString(L"CurrentBuildNumber");
    return build && std::wcstoul(build.get(), nullptr, 10) >= 22000;
}

} // namespace

bool IsPackagedMenuRegistered() noexcept
{
    wchar_t classKey[48] = L"CLSID\\";
    if (::StringFromGUID2(CLSID_LumbrixMenu, classKey + 6, 40) == 0) return false;
    RegistryKey key(HKEY_CLASSES_ROOT, classKey, /*create=*/false, /*borrow=*/false, KEY_QUERY_VALUE);
    const UniqueRegString family = key.GetOwnedString(L"PackageFamilyName");
    if (!family || family.get()[0] == L'\0' || !IsWindows11()) return false;

    // Looked up at run time: older systems (and Wine) do not have it.
    using GetPackagesFn = LONG(WINAPI*)(PCWSTR, UINT32*, PWSTR*, UINT32*, WCHAR*);
    HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    const auto getPackages =
        kernel ? reinterpret_cast<GetPackagesFn>(::GetProcAddress(kernel, "GetPackagesByPackageFamily")) : nullptr;
    if (!getPackages) return false;
    UINT32 count = 0;
    UINT32 length = 0;
    const LONG result = getPackages(family.get(), &count, nullptr, &length, nullptr);
    return (result == ERROR_SUCCESS || result == ERROR_INSUFFICIENT_BUFFER) && count > 0;
}

} // namespace lumbrix
