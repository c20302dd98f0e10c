#include "job/file_name_case.h"

#ifdef _WIN32
#include <windows.h>
#endif

#include <memory>
#include <new>

namespace lumbrix {
namespace {

wchar_t AsciiUpper(wchar_t unit) noexcept { return unit >= L'a' && unit <= L'z' ? wchar_t(unit - 0x20) : unit; }

// One entry per UTF-16 unit, made once. The system's table: LCMapStringEx
// without linguistic casing applies the file system's rules. Elsewhere (the
// Linux build of the tests), and when there is no memory for the table,
// ASCII letters are folded alone, the same way for every comparison.
class UpperCaseTable {
public:
    UpperCaseTable() noexcept : table_(new (std::nothrow) wchar_t[kUnits])
    {
        if (!table_) return;
        for (std::uint32_t unit = 0; unit < kUnits; ++unit)
            table_[unit] = AsciiUpper(static_cast<wchar_t>(unit));
#ifdef _WIN32
        // Surrogates stay as they are; the two ranges around them go in one call each.
        MapRange(0, 0xD800);
        MapRange(0xE000, kUnits);
#endif
    }

    wchar_t operator[](wchar_t unit) const noexcept
    {
        const auto index = static_cast<std::uint32_t>(unit);
        if (!table_) return AsciiUpper(unit);
        return index < kUnits ? table_[index] : unit;
    }

private:
    static constexpr std::uint32_t kUnits = 0x10000;

#ifdef _WIN32
    void MapRange(std::uint32_t from, std::uint32_t to) noexcept
    {
        const int count = static_cast<int>(to - from);
        const std::unique_ptr<wchar_t[]> source(new (std::nothrow) wchar_t[count]);
        const std::unique_ptr<wchar_t[]> upper(new (std::nothrow) wchar_t[count]);
        if (!source || !upper) return;
        for (int i = 0; i < count; ++i) source[i] = static_cast<wchar_t>(from + i);
        // A call that fails or changes the length keeps the ASCII table.
        if (::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, source.get(), count, upper.get(), count,
                            nullptr, nullptr, 0) != count)
            return;
        for (int i = 0; i < count; ++i) table_[from + i] = upper[i];
    }
#endif

    std::unique_ptr<wchar_t[]> table_;
};

const UpperCaseTable& Table() noexcept
{
    static const UpperCaseTable table;
    return table;
}

} // namespace

wchar_t FoldFileNameUnit(wchar_t unit) noexcept
{
    if (unit < 0x80) return AsciiUpper(unit);
    return Table()[unit];
}

bool FileNamesEqual(std::wstring_view a, std::wstring_view b) noexcept
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i] && FoldFileNameUnit(a[i]) != FoldFileNameUnit(b[i])) return false;
    return true;
}

bool IsPathBelow(std::wstring_view path, std::wstring_view folder) noexcept
{
    if (!folder.empty() && folder.back() == L'\\') folder.remove_suffix(1);
    return !folder.empty() && path.size() > folder.size() + 1 && path[folder.size()] == L'\\' &&
           FileNamesEqual(path.substr(0, folder.size()), folder);
}

std::uint64_t FileNameHash(std::wstring_view name) noexcept
{
    std::uint64_t hash = 0xCBF29CE484222325ull; // FNV-1a
    for (wchar_t unit : name) {
        hash ^= static_cast<std::uint16_t>(FoldFileNameUnit(unit));
        hash *= 0x100000001B3ull;
    }
    return hash;
}

} // namespace lumbrix
