#pragma once
// The CF_HDROP block that the shell's data object hands to Initialize.

#include <windows.h>

#include <string>
#include <vector>

namespace lumbrix {

// The names of a CF_HDROP block, in order, 8-bit names converted from the ANSI
// code page. False, with names untouched, when the block holds no DROPFILES
// header whose name list starts and ends inside it: the list comes from any
// program that offers CF_HDROP. As DragQueryFileW reads it, the first name
// counts even when it is empty ("\0\0" is one empty name). One pass over the
// list: DragQueryFileW by index would walk it again for every name. Throws
// std::bad_alloc when memory runs out.
[[nodiscard]] bool ReadDropList(HGLOBAL block, std::vector<std::wstring>& names);

} // namespace lumbrix
