#pragma once
// The ten persisted output options, in menu and registry order.

#include <cstddef>
#include <cstdint>

namespace lumbrix {

enum OptionFlag : int {
    OutputDirectory,
    OutputShortFileName,
    OutputJunction,
    EscapePathSeparator,
    OutputURL,
    OutputSize,
    OutputCRC32,
    OutputMD5,
    OutputSHA1,
    OutputSHA256,
    OptionFlagCount
};

// Registry value name of each flag, indexed by OptionFlag.
inline constexpr const wchar_t* kOptionValueNames[OptionFlagCount] = {
    L"OutputDirectory", L"OutputShortFileName", L"OutputJunction",
    L"EscapePathSeparator", L"OutputURL", L"OutputSize",
    L"OutputCRC32", L"OutputMD5", L"OutputSHA1", L"OutputSHA256"};

struct OutputOptions {
    bool flags[OptionFlagCount] = {true, false, false, false, false, false, false, false, false, false};

    bool& operator[](OptionFlag flag) noexcept { return flags[flag]; }
    bool operator[](OptionFlag flag) const noexcept { return flags[flag]; }

    bool AnyDigest() const noexcept
    {
        return flags[OutputCRC32] || flags[OutputMD5] || flags[OutputSHA1] || flags[OutputSHA256];
    }
};

// Per-user key that holds the ten values (under HKEY_CURRENT_USER).
inline constexpr wchar_t kOptionsKeyPath[] = L"Software\\Orvane\\Lumbrix64";

// Fills every flag: defaults, then the stored values. 0, also when there is
// no key (the user never changed an option); else the error that kept
// the key from being read, with the defaults. Shows nothing.
std::uint32_t ReadOutputOptions(OutputOptions& options) noexcept; // a Windows error code
// The same, and a key that cannot be read is told in a box. Never fails towards the caller.
void LoadOutputOptions(OutputOptions& options) noexcept;
// Writes all ten flags as REG_DWORD 1 or 0. Never fails towards the caller.
void SaveOutputOptions(const OutputOptions& options) noexcept;
// What every menu's option command does: flag becomes the opposite of what
// options held, the others are read again, and all ten are saved (and left in options).
void ToggleOutputOption(OutputOptions& options, OptionFlag flag) noexcept;

} // namespace lumbrix
