#pragma once
// Whether the Windows 11 menu's package is registered for the user whose menu
// is being built. A packaged command shows under "Show more options" too, so
// the classic entry would then be a second one there.

namespace lumbrix {

// True only on Windows 11 (build 22000 or later) when the package family named
// under the classic class (the setup writes it) is registered for the current
// user. Registry reads and one package query: no file is touched. False when
// anything is missing, so the classic entry stays wherever in doubt.
bool IsPackagedMenuRegistered() noexcept;

} // namespace lumbrix
