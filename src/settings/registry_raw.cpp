#include "settings/registry_raw.h"

namespace lumbrix {
namespace {

// Ends a routine: the status goes to the thread's last error.
bool Finish(LSTATUS status) noexcept
{
    ::SetLastError(static_cast<DWORD>(status));
    return status == ERROR_SUCCESS;
}

void* HeapAllocate(SIZE_T bytes) noexcept
{
    return ::HeapAlloc(::GetProcessHeap(), HEAP_ZERO_MEMORY, bytes ? bytes : 1);
}

// Shrinks block to bytes (at least one); false leaves block untouched.
bool HeapShrink(void*& block, SIZE_T bytes) noexcept
{
    if (bytes == 0) bytes = 1;
    if (::HeapSize(::GetProcessHeap(), 0, block) == bytes) return true;
    void* smaller = ::HeapReAlloc(::GetProcessHeap(), 0, block, bytes);
    if (!smaller) return false;
    block = smaller;
    return true;
}

} // namespace

void FreeRegBuffer(void* buffer) noexcept
{
    if (buffer) ::HeapFree(::GetProcessHeap(), 0, buffer);
}

HKEY OpenRegKey(HKEY parent, const wchar_t* name, REGSAM access) noexcept
{
    HKEY key = nullptr;
    const LSTATUS status = ::RegOpenKeyExW(parent, name, 0, access, &key);
    if (status != ERROR_SUCCESS) key = nullptr;
    Finish(status);
    return key;
}

HKEY CreateRegKey(HKEY parent, const wchar_t* name, REGSAM access) noexcept
{
    HKEY key = nullptr;
    const LSTATUS status = ::RegCreateKeyExW(parent, name, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr,
                                             &key, nullptr);
    if (status != ERROR_SUCCESS) key = nullptr;
    Finish(status);
    return key;
}

bool DeleteRegKey(HKEY parent, const wchar_t* name) noexcept
{
    return Finish(::RegDeleteKeyW(parent, name));
}

bool DeleteRegTree(HKEY parent, const wchar_t* name) noexcept
{
    UniqueHKey key(OpenRegKey(parent, name));
    if (!key) return false; // last error already set

    LSTATUS status = ERROR_SUCCESS;
    // Index 0 every time: each child is gone before the next pass.
    while (status == ERROR_SUCCESS) {
        UniqueRegString child(EnumRegSubkey(key.get(), 0));
        if (!child) {
            status = static_cast<LSTATUS>(::GetLastError());
            break;
        }
        DeleteRegTree(key.get(), child.get());
        status = static_cast<LSTATUS>(::GetLastError());
    }
    key.reset();

    if (status == ERROR_SUCCESS || status == ERROR_NO_MORE_ITEMS) status = ::RegDeleteKeyW(parent, name);
    return Finish(status);
}

wchar_t* EnumRegSubkey(HKEY key, DWORD index) noexcept
{
    DWORD longestName = 0;
    LSTATUS status = ::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, &longestName, nullptr,
                                        nullptr, nullptr, nullptr, nullptr, nullptr);
    if (status != ERROR_SUCCESS) {
        Finish(status);
        return nullptr;
    }
    const DWORD capacity = longestName + 1;
    void* block = HeapAllocate(SIZE_T{capacity} * sizeof(wchar_t));
    if (!block) {
        Finish(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    DWORD length = capacity;
    status = ::RegEnumKeyExW(key, index, static_cast<wchar_t*>(block), &length, nullptr, nullptr, nullptr,
                             nullptr);
    if (status == ERROR_SUCCESS && !HeapShrink(block, (SIZE_T{length} + 1) * sizeof(wchar_t)))
        status = ERROR_NOT_ENOUGH_MEMORY;
    if (status != ERROR_SUCCESS) {
        FreeRegBuffer(block);
        Finish(status);
        return nullptr;
    }
    Finish(ERROR_SUCCESS);
    return static_cast<wchar_t*>(block);
}

bool QueryRegValue(HKEY key, const wchar_t* name, RegValue& value) noexcept
{
    DWORD longestData = 0;
    LSTATUS status = ::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                        nullptr, &longestData, nullptr, nullptr);
    if (status != ERROR_SUCCESS) return Finish(status);
    void* block = HeapAllocate(longestData);
    if (!block) return Finish(ERROR_NOT_ENOUGH_MEMORY);

    DWORD type = REG_NONE;
    DWORD size = longestData;
    status = ::RegQueryValueExW(key, name, nullptr, &type, static_cast<BYTE*>(block), &size);
    // A value with no data keeps a one-byte block, so that data is never null.
    if (status == ERROR_SUCCESS && !HeapShrink(block, size)) status = ERROR_NOT_ENOUGH_MEMORY;
    if (status != ERROR_SUCCESS) {
        FreeRegBuffer(block);
        return Finish(status);
    }
    value.type = type;
    value.data = static_cast<BYTE*>(block);
    value.size = size;
    return Finish(ERROR_SUCCESS);
}

bool SetRegValue(HKEY key, const wchar_t* name, const RegValue& value) noexcept
{
    return Finish(::RegSetValueExW(key, name, 0, value.type, value.data, value.size));
}

} // namespace lumbrix
