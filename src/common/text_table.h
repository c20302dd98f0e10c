#pragma once
// The user's texts, read from the module's string tables by id. The language
// is chosen once per process: Japanese where the user's display language is
// Japanese, English everywhere else, so that no window mixes the two.

#include "resources/text_ids.h"

#include <windows.h>

namespace lumbrix {

enum class TextLanguage : unsigned char {
    Japanese,
    English,
    Untranslated, // the language-neutral table of names (registry data)
};

// Decided on the first call, from GetUserDefaultUILanguage, for the life of the process.
TextLanguage DisplayLanguage() noexcept;

// The text of id in the display language. Never null: a text the table lacks
// is "". Valid while the module is loaded.
const wchar_t* Text(UINT id) noexcept;

// The text of id in the given table, whatever the display language: the verbs
// (the Japanese help texts) and the names that are registry data.
const wchar_t* TextIn(TextLanguage language, UINT id) noexcept;

} // namespace lumbrix
