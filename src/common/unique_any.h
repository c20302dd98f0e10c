#pragma once
// One owner template for every handle-like resource, and the aliases the
// project uses. Each owner closes its value in its destructor; release()
// hands the value over (the clipboard taking a block), reset() replaces it.

#include <windows.h>

#include <utility>

namespace lumbrix {

// Null is the empty value unless InvalidValue says otherwise (INVALID_HANDLE_VALUE
// is not a constant expression, so it comes from a function).
template <typename T>
constexpr T NullValue() noexcept { return T{}; }
inline HANDLE InvalidHandleValue() noexcept { return INVALID_HANDLE_VALUE; }

template <typename T, auto Closer, auto InvalidValue = &NullValue<T>>
class UniqueAny {
    static T Invalid() noexcept { return InvalidValue(); }

public:
    UniqueAny() noexcept = default;
    explicit UniqueAny(T value) noexcept : value_(value) {}
    UniqueAny(const UniqueAny&) = delete;
    UniqueAny& operator=(const UniqueAny&) = delete;
    UniqueAny(UniqueAny&& other) noexcept : value_(other.release()) {}
    UniqueAny& operator=(UniqueAny&& other) noexcept
    {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~UniqueAny() { reset(); }

    T get() const noexcept { return value_; }
    bool valid() const noexcept { return value_ != Invalid(); }
    explicit operator bool() const noexcept { return valid(); }

    void reset() noexcept { reset(Invalid()); }
    void reset(T value) noexcept
    {
        T old = std::exchange(value_, value);
        if (old != Invalid()) Closer(old);
    }
    [[nodiscard]] T release() noexcept { return std::exchange(value_, Invalid()); }

    // For out-parameters: closes the current value first.
    T* put() noexcept
    {
        reset();
        return &value_;
    }

private:
    T value_ = Invalid();
};

namespace detail {
inline void CloseKernelHandle(HANDLE h) noexcept { ::CloseHandle(h); }
inline void CloseRegistryKey(HKEY h) noexcept { ::RegCloseKey(h); }
inline void FreeGlobal(HGLOBAL h) noexcept { ::GlobalFree(h); }
inline void FreeLocal(HLOCAL h) noexcept { ::LocalFree(h); }
inline void DestroyMenuHandle(HMENU h) noexcept { ::DestroyMenu(h); }
inline void DestroyWindowHandle(HWND h) noexcept { ::DestroyWindow(h); }
inline void DeleteGdiObject(HGDIOBJ h) noexcept { ::DeleteObject(h); }
inline void DeleteMemoryDc(HDC h) noexcept { ::DeleteDC(h); }
inline void CloseFind(HANDLE h) noexcept { ::FindClose(h); }
inline void ReleaseModuleHandle(HMODULE h) noexcept { ::FreeLibrary(h); }
inline void FreeProcessHeapBlock(void* p) noexcept { ::HeapFree(::GetProcessHeap(), 0, p); }
} // namespace detail

using UniqueHandle = UniqueAny<HANDLE, detail::CloseKernelHandle>;
using UniqueFile = UniqueAny<HANDLE, detail::CloseKernelHandle, &InvalidHandleValue>;
using UniqueFind = UniqueAny<HANDLE, detail::CloseFind, &InvalidHandleValue>;
using UniqueHKey = UniqueAny<HKEY, detail::CloseRegistryKey>;
using UniqueHGlobal = UniqueAny<HGLOBAL, detail::FreeGlobal>;
using UniqueMenu = UniqueAny<HMENU, detail::DestroyMenuHandle>;
using UniqueWindow = UniqueAny<HWND, detail::DestroyWindowHandle>;
using UniqueFont = UniqueAny<HFONT, detail::DeleteGdiObject>;
using UniqueBitmap = UniqueAny<HBITMAP, detail::DeleteGdiObject>;
using UniqueMemoryDc = UniqueAny<HDC, detail::DeleteMemoryDc>;
using UniqueModule = UniqueAny<HMODULE, detail::ReleaseModuleHandle>;
using UniqueHeapBlock = UniqueAny<void*, detail::FreeProcessHeapBlock>;

// A locked global block; unlocks on scope exit.
class GlobalLock {
public:
    explicit GlobalLock(HGLOBAL block) noexcept : block_(block), data_(::GlobalLock(block)) {}
    GlobalLock(const GlobalLock&) = delete;
    GlobalLock& operator=(const GlobalLock&) = delete;
    ~GlobalLock() { unlock(); }
    void* data() const noexcept { return data_; }
    void unlock() noexcept
    {
        if (data_) ::GlobalUnlock(block_);
        data_ = nullptr;
    }

private:
    HGLOBAL block_;
    void* data_;
};

// An SRW lock held exclusively; released on scope exit.
class ExclusiveLock {
public:
    explicit ExclusiveLock(SRWLOCK& lock) noexcept : lock_(lock) { ::AcquireSRWLockExclusive(&lock_); }
    ExclusiveLock(const ExclusiveLock&) = delete;
    ExclusiveLock& operator=(const ExclusiveLock&) = delete;
    ~ExclusiveLock() { ::ReleaseSRWLockExclusive(&lock_); }

private:
    SRWLOCK& lock_;
};

// A string that the system allocated with LocalAlloc (FormatMessageW).
using UniqueLocalString = UniqueAny<wchar_t*, detail::FreeLocal>;

} // namespace lumbrix
