#pragma once
// The language a test program runs in: Japanese under LC_ALL=ja_JP.UTF-8,
// English under en_US.UTF-8 (and C.UTF-8), as Wine takes the display language
// from the locale. Tests that run in both state what they expect in each.

#include <windows.h>

#include <string_view>

namespace lumbrix::test {

inline bool JapaneseDisplayLanguage()
{
    return PRIMARYLANGID(::GetUserDefaultUILanguage()) == LANG_JAPANESE;
}

// The text a test expects to see in the display language.
inline const wchar_t* InDisplayLanguage(const wchar_t* japanese, const wchar_t* english)
{
    return JapaneseDisplayLanguage() ? japanese : english;
}

// Kana, kanji and the full-width forms: what an English text must not hold.
inline bool HasJapanese(std::wstring_view text)
{
    for (const wchar_t unit : text)
        if ((unit >= 0x3000 && unit <= 0x9FFF) || (unit >= 0xFF00 && unit <= 0xFFEF)) return true;
    return false;
}

} // namespace lumbrix::test
