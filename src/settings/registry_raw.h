#pragma once
// Raw registry routines. Each one leaves the registry status (0 on success) in
// the thread's last error. Buffers they hand out come from the process heap
// and belong to the receiver (FreeRegBuffer, or one of the owners below).

#include "common/unique_any.h"

#include <windows.h>

namespace lumbrix {

struct RegValue {
    DWORD type = REG_NONE;
    BYTE* data = nullptr; // on a read: a heap block that the receiver frees
    DWORD size = 0;       // bytes in data
};

// UniqueRegBuffer and UniqueRegString (common/unique_any.h) own them too.
void FreeRegBuffer(void* buffer) noexcept;

// RegOpenKeyExW; null on failure. Readers ask for KEY_READ only, so that a
// key they may read but not write still opens.
HKEY OpenRegKey(HKEY parent, const wchar_t* name, REGSAM access = KEY_ALL_ACCESS) noexcept;
// RegCreateKeyExW, non-volatile; a new or an existing key, or null.
HKEY CreateRegKey(HKEY parent, const wchar_t* name, REGSAM access = KEY_ALL_ACCESS) noexcept;
// Deletes a subkey that has no subkeys of its own.
bool DeleteRegKey(HKEY parent, const wchar_t* name) noexcept;
// Deletes a subkey with everything below it. A failure below the top leaves
// the key and its remaining children in place.
bool DeleteRegTree(HKEY parent, const wchar_t* name) noexcept;
// Name of the subkey at index, or null (ERROR_NO_MORE_ITEMS past the last one).
wchar_t* EnumRegSubkey(HKEY key, DWORD index) noexcept;
// Reads a value into a fresh buffer of exactly its size.
bool QueryRegValue(HKEY key, const wchar_t* name, RegValue& value) noexcept;
bool SetRegValue(HKEY key, const wchar_t* name, const RegValue& value) noexcept;

} // namespace lumbrix
