#pragma once
// Formats from the string tables are used only when their conversions are the
// ones the caller passes arguments for: a table that lacks a text, or holds
// one with other conversions, must not make a printf read what is not there.

#include "resources/text_ids.h"

#include <windows.h>

namespace lumbrix {

// True when format and expected hold the same conversions ("%u", "%ls",
// "%0.2f", ...) in the same order; "%%" is text, not a conversion.
bool SameConversions(const wchar_t* format, const wchar_t* expected) noexcept;

// The display language's text of id when its conversions are those of
// skeleton, otherwise skeleton itself: a format without words (such as
// L"(%u/%u) %s") that still shows the values.
const wchar_t* FormatText(UINT id, const wchar_t* skeleton) noexcept;

} // namespace lumbrix
