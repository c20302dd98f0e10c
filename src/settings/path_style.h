#pragma once
// How the path column is written for other programs, and how it is quoted:
// two choices stored as numbers beside the other options.

#include <cstdint>

namespace lumbrix {

enum class PathStyle : std::uint32_t {
    Windows = 0,    // as the file manager shows it: C:\Users\x
    NetworkUnc = 1, // a mapped drive's paths from its UNC name: \\fs01\share\x
    Slashes = 2,    // C:/Users/x
    Wsl = 3,        // /mnt/c/Users/x
    Msys = 4,       // /c/Users/x (MSYS2, Git Bash)
};
inline constexpr std::uint32_t kPathStyleCount = 5;

enum class QuoteStyle : std::uint32_t {
    None = 0,
    WhereNeeded = 1, // a space, or a character that a shell treats specially
    Always = 2,
};
inline constexpr std::uint32_t kQuoteStyleCount = 3;

// A stored number out of range reads as the default.
constexpr PathStyle PathStyleFromStored(std::uint32_t stored) noexcept
{
    return stored < kPathStyleCount ? static_cast<PathStyle>(stored) : PathStyle::Windows;
}

constexpr QuoteStyle QuoteStyleFromStored(std::uint32_t stored) noexcept
{
    return stored < kQuoteStyleCount ? static_cast<QuoteStyle>(stored) : QuoteStyle::None;
}

} // namespace lumbrix
