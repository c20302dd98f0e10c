#pragma once
// The texts that the checksum commands show, each in Japanese and English, in
// one place until they move into the string tables. The product shows the
// Japanese ones.

namespace lumbrix {

struct TwoLanguageText {
    const wchar_t* japanese;
    const wchar_t* english;
};

// The Windows 11 menu's nested entry that holds the options.
inline constexpr TwoLanguageText kOptionsEntryTitle{L"オプション", L"Options"};

} // namespace lumbrix
