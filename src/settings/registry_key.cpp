#include "settings/registry_key.h"

#include <cstring>

namespace lumbrix {
namespace {

DWORD SwapBytes(DWORD value) noexcept
{
    return ((value & 0xFF) << 24) | ((value & 0xFF00) << 8) | ((value >> 8) & 0xFF00) | (value >> 24);
}

bool IsStringType(DWORD type) noexcept
{
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// Any program may store a string without its terminator (or with an odd byte
// count); the caller gets a C string either way.
bool EnsureTerminated(RegValue& value) noexcept
{
    const DWORD units = value.size / sizeof(wchar_t);
    const auto* text = reinterpret_cast<const wchar_t*>(value.data);
    if (value.size % sizeof(wchar_t) == 0 && units > 0 && text[units - 1] == L'\0') return true;
    const SIZE_T bytes = (SIZE_T{units} + 1) * sizeof(wchar_t);
    void* larger = ::HeapReAlloc(::GetProcessHeap(), 0, value.data, bytes);
    if (!larger) return false;
    value.data = static_cast<BYTE*>(larger);
    reinterpret_cast<wchar_t*>(value.data)[units] = L'\0';
    return true;
}

} // namespace

RegistryKey::RegistryKey(HKEY parent, const wchar_t* name, bool create, bool borrow, REGSAM access) noexcept
{
    if (create)
        Create(parent, name, access);
    else
        Open(parent, name, borrow, access);
}

bool RegistryKey::Open(HKEY parent, const wchar_t* name, bool borrow, REGSAM access) noexcept
{
    Close();
    if (!name || !*name) {
        if (!borrow) owned_.reset(parent);
        handle_ = parent;
        lastError_ = ERROR_SUCCESS;
        return true;
    }
    owned_.reset(OpenRegKey(parent, name, access));
    handle_ = owned_.get();
    TakeLastError();
    return handle_ != nullptr;
}

bool RegistryKey::Create(HKEY parent, const wchar_t* name, REGSAM access) noexcept
{
    Close();
    owned_.reset(CreateRegKey(parent, name, access));
    handle_ = owned_.get();
    TakeLastError();
    return handle_ != nullptr;
}

void RegistryKey::Close() noexcept
{
    owned_.reset();
    handle_ = nullptr;
    lastError_ = ERROR_SUCCESS;
}

wchar_t* RegistryKey::GetString(const wchar_t* valueName) noexcept
{
    RegValue value;
    if (!QueryRegValue(handle_, valueName, value)) {
        TakeLastError();
        return nullptr;
    }
    if (!IsStringType(value.type)) {
        FreeRegBuffer(value.data);
        lastError_ = ERROR_INVALID_DATA;
        return nullptr;
    }
    if (!EnsureTerminated(value)) {
        FreeRegBuffer(value.data);
        lastError_ = ERROR_NOT_ENOUGH_MEMORY;
        return nullptr;
    }
    lastError_ = ERROR_SUCCESS;
    return reinterpret_cast<wchar_t*>(value.data);
}

DWORD RegistryKey::GetDword(const wchar_t* valueName, DWORD fallback) noexcept
{
    RegValue value;
    if (!QueryRegValue(handle_, valueName, value)) {
        TakeLastError();
        return fallback;
    }
    UniqueRegBuffer data(value.data);
    // Fewer than four bytes cannot be a number: read like a value of another type.
    if ((value.type != REG_DWORD && value.type != REG_DWORD_BIG_ENDIAN) || value.size < sizeof(DWORD)) {
        lastError_ = ERROR_INVALID_DATA;
        return fallback;
    }
    DWORD number = 0;
    std::memcpy(&number, data.get(), sizeof number);
    lastError_ = ERROR_SUCCESS;
    return value.type == REG_DWORD_BIG_ENDIAN ? SwapBytes(number) : number;
}

bool RegistryKey::SetString(const wchar_t* valueName, DWORD type, const wchar_t* text) noexcept
{
    RegValue value;
    value.type = type;
    value.data = reinterpret_cast<BYTE*>(const_cast<wchar_t*>(text));
    value.size = static_cast<DWORD>((::lstrlenW(text) + 1) * sizeof(wchar_t));
    SetRegValue(handle_, valueName, value);
    return TakeLastError() == ERROR_SUCCESS;
}

bool RegistryKey::SetDword(const wchar_t* valueName, DWORD type, DWORD number) noexcept
{
    if (type == REG_DWORD_BIG_ENDIAN) number = SwapBytes(number);
    RegValue value;
    value.type = type;
    value.data = reinterpret_cast<BYTE*>(&number);
    value.size = sizeof number;
    SetRegValue(handle_, valueName, value);
    return TakeLastError() == ERROR_SUCCESS;
}

} // namespace lumbrix
