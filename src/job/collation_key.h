#pragma once
// Sort keys of the collation that lstrcmpiW applies: two texts compare under
// lstrcmpiW as their keys compare byte by byte (memcmp, the shorter first on a
// common prefix). One key per line replaces a dozen lstrcmpiW calls per insert.

#include <windows.h>

#include <string>
#include <string_view>

namespace lumbrix {

// The locale that lstrcmpiW uses on the calling thread.
LCID CollationLocale() noexcept;

// Whether keys of locale follow lstrcmpiW. Not for an alternate sort order
// (German phone book and the like): CompareString and LCMapString do not
// apply those alike everywhere, so such a locale keeps lstrcmpiW itself.
bool KeysFollowLstrcmpi(LCID locale) noexcept;

// Replaces key with the case-insensitive sort key of text in locale. False
// when the system gives no key (an empty text); key is then empty. Throws
// std::bad_alloc when memory runs out.
[[nodiscard]] bool MakeCollationKey(std::wstring_view text, LCID locale, std::string& key);

// Appends the key of text to keys and returns its length; 0 when the system
// gives no key (keys is then unchanged). Throws std::bad_alloc.
std::size_t AppendCollationKey(std::wstring_view text, LCID locale, std::string& keys);

// memcmp order of two keys.
int CompareCollationKeys(std::string_view a, std::string_view b) noexcept;

} // namespace lumbrix
