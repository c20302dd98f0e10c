#pragma once
// The persisted output options: eleven on/off flags in registry order, and the
// path and quote styles, each a REG_DWORD under the same key.

#include "settings/path_style.h"

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
    SingleLine, // the lines joined by one space instead of CR LF
    OptionFlagCount
};

// Registry value name of each flag, indexed by OptionFlag.
inline constexpr const wchar_t* kOptionValueNames[OptionFlagCount] = {
    L"OutputDirectory", L"OutputShortFileName", L"OutputJunction",
    L"EscapePathSeparator", L"OutputURL", L"OutputSize",
    L"OutputCRC32", L"OutputMD5", L"OutputSHA1", L"OutputSHA256", L"SingleLine"};
inline constexpr wchar_t kPathStyleValueName[] = L"PathStyle";
inline constexpr wchar_t kQuoteStyleValueName[] = L"QuoteStyle";

struct OutputOptions {
    bool flags[OptionFlagCount] = {true, false, false, false, false, false, false, false, false, false, false};
    PathStyle pathStyle = PathStyle::Windows;
    QuoteStyle quoteStyle = QuoteStyle::None;

    bool& operator[](OptionFlag flag) noexcept { return flags[flag]; }
    bool operator[](OptionFlag flag) const noexcept { return flags[flag]; }

    bool AnyDigest() const noexcept
    {
        return flags[OutputCRC32] || flags[OutputMD5] || flags[OutputSHA1] || flags[OutputSHA256];
    }
};

// What one option command does: inverts a flag, or picks a path or quote
// style (picking the style in effect keeps it, as a radio item does).
struct OptionChoice {
    enum class Kind : std::uint8_t { Flag, PathStyle, QuoteStyle };
    Kind kind = Kind::Flag;
    std::uint32_t value = 0; // the OptionFlag, or the style's number

    constexpr OptionChoice() noexcept = default;
    constexpr OptionChoice(OptionFlag flag) noexcept : kind(Kind::Flag), value(static_cast<std::uint32_t>(flag)) {}
    constexpr OptionChoice(PathStyle style) noexcept : kind(Kind::PathStyle), value(static_cast<std::uint32_t>(style)) {}
    constexpr OptionChoice(QuoteStyle quotes) noexcept
        : kind(Kind::QuoteStyle), value(static_cast<std::uint32_t>(quotes))
    {
    }
    friend constexpr bool operator==(OptionChoice, OptionChoice) noexcept = default;
};

// Whether the menus show choice checked: the flag is on, or the style is the one in effect.
bool IsChosen(const OutputOptions& options, OptionChoice choice) noexcept;

// Per-user key that holds the values (under HKEY_CURRENT_USER).
inline constexpr wchar_t kOptionsKeyPath[] = L"Software\\Orvane\\Lumbrix64";

// Fills every option: defaults, then the stored values. 0, also when there
// is no key (the user never changed an option); else the error that kept
// the key from being read, with the defaults. Shows nothing.
std::uint32_t ReadOutputOptions(OutputOptions& options) noexcept; // a Windows error code
// The same, and a key that cannot be read is told in a box. Never fails towards the caller.
void LoadOutputOptions(OutputOptions& options) noexcept;
// Writes every flag as REG_DWORD 1 or 0 and both styles as their numbers.
// Never fails towards the caller.
void SaveOutputOptions(const OutputOptions& options) noexcept;
// What every menu's option command does: a flag becomes the opposite of what
// options held, or a style the one picked; the others are read again, and
// all are saved (and left in options).
void ToggleOutputOption(OutputOptions& options, OptionChoice choice) noexcept;

} // namespace lumbrix
