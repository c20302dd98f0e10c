#pragma once
// Whether the classic entry may leave its place to the Windows 11 menu's
// package. A packaged command shows under "Show more options" too, so the
// classic entry would then be a second one there; but where the packaged
// command does not show, hiding the classic entry would leave none at all.

#include <string>

namespace lumbrix {

// True only where the packaged command is sure to show in the classic
// entry's place: the host is the file manager (explorer.exe), the switch back
// to the old menu is absent (the InprocServer32 key of the CLSID
// {86ca1aa0-...} under HKCU\Software\Classes), the system is Windows 11,
// and the package family named under the classic class (the setup writes it)
// is registered for the current user with this DLL's folder as its external
// location. Registry reads and a package query, no file: false whenever one
// of them cannot be established.
bool PackagedCommandTakesThePlace() noexcept;

// The external location of the one package of family that is registered for
// the current user; false when there is none or more than one, or it cannot be had.
using PackageLocationQuery = bool (*)(const wchar_t* family, std::wstring& location);
// For tests, since Wine has no package API; null restores the system's query.
void SetPackageLocationQuery(PackageLocationQuery query) noexcept;

} // namespace lumbrix
