#pragma once
// Owner of one open registry key, with typed reads and writes. Every operation
// keeps the Windows error code of its outcome in lastError(); an operation
// counts as successful when the key is open and lastError() is 0.

#include "settings/registry_raw.h"

#include <windows.h>

namespace lumbrix {

class RegistryKey {
public:
    RegistryKey() noexcept = default;
    // Create (parent, name) when create is set, else Open (parent, name, borrow).
    RegistryKey(HKEY parent, const wchar_t* name, bool create, bool borrow = false,
                REGSAM access = KEY_ALL_ACCESS) noexcept;
    ~RegistryKey() = default;
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    // A null or empty name adopts parent itself; borrow then says whether
    // Close leaves it open.
    bool Open(HKEY parent, const wchar_t* name, bool borrow = false, REGSAM access = KEY_ALL_ACCESS) noexcept;
    bool Create(HKEY parent, const wchar_t* name, REGSAM access = KEY_ALL_ACCESS) noexcept;
    void Close() noexcept;

    // The stored string (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) as a heap buffer
    // that the caller frees with FreeRegBuffer; null on failure or another type.
    wchar_t* GetString(const wchar_t* valueName) noexcept;
    UniqueRegString GetOwnedString(const wchar_t* valueName) noexcept
    {
        return UniqueRegString(GetString(valueName));
    }
    // REG_DWORD, or REG_DWORD_BIG_ENDIAN byte-swapped; fallback otherwise.
    DWORD GetDword(const wchar_t* valueName, DWORD fallback) noexcept;
    // Stores text with its terminating null.
    bool SetString(const wchar_t* valueName, DWORD type, const wchar_t* text) noexcept;
    // type REG_DWORD or REG_DWORD_BIG_ENDIAN.
    bool SetDword(const wchar_t* valueName, DWORD type, DWORD value) noexcept;

    HKEY handle() const noexcept { return handle_; }
    bool borrowed() const noexcept { return handle_ != nullptr && !owned_; }
    DWORD lastError() const noexcept { return lastError_; }
    bool ok() const noexcept { return handle_ != nullptr && lastError_ == ERROR_SUCCESS; }

private:
    DWORD TakeLastError() noexcept { return lastError_ = ::GetLastError(); }

    // A key this object opened is owned; an adopted one is either owned too
    // or only borrowed (then handle_ alone holds it).
    UniqueHKey owned_;
    HKEY handle_ = nullptr;
    DWORD lastError_ = ERROR_SUCCESS;
};

} // namespace lumbrix
