#pragma once
// One owner template for every handle-like resource, and the aliases the
// project uses. Each owner closes its value in its destructor; release()
// hands the value over (the clipboard taking a block), reset() replaces it.

#include <windows.h>
#include <ole2.h> // ReleaseStgMedium, CoTaskMemFree
#include <shtypes.h>

#include <cstddef>
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
inline void FreeTaskMemory(void* p) noexcept { ::CoTaskMemFree(p); }
inline void ReleaseScreenDc(HDC h) noexcept { ::ReleaseDC(nullptr, h); }
inline void ReleaseActivationContext(HANDLE h) noexcept { ::ReleaseActCtx(h); }
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
using UniqueScreenDc = UniqueAny<HDC, detail::ReleaseScreenDc>; // GetDC(nullptr)
using UniqueActivationContext = UniqueAny<HANDLE, detail::ReleaseActivationContext, &InvalidHandleValue>;

// Blocks that the registry layer hands out, from the process heap.
using UniqueRegBuffer = UniqueAny<BYTE*, detail::FreeProcessHeapBlock>;
using UniqueRegString = UniqueAny<wchar_t*, detail::FreeProcessHeapBlock>;

// What the shell hands out with CoTaskMemAlloc: a path, an item ID list.
using UniqueTaskString = UniqueAny<wchar_t*, detail::FreeTaskMemory>;
using UniqueIdList = UniqueAny<PIDLIST_ABSOLUTE, detail::FreeTaskMemory>;

// Threads that must have ended before their owner goes: joined, then closed.
template <std::size_t Capacity>
class JoinedThreads {
public:
    JoinedThreads() noexcept = default;
    JoinedThreads(const JoinedThreads&) = delete;
    JoinedThreads& operator=(const JoinedThreads&) = delete;
    ~JoinedThreads()
    {
        for (std::size_t i = 0; i < count_; ++i) ::WaitForSingleObject(threads_[i].get(), INFINITE);
    }
    // False when the thread could not be started or there is no room.
    bool Start(LPTHREAD_START_ROUTINE routine, void* parameter) noexcept
    {
        if (count_ == Capacity) return false;
        threads_[count_].reset(::CreateThread(nullptr, 0, routine, parameter, 0, nullptr));
        if (!threads_[count_]) return false;
        ++count_;
        return true;
    }

private:
    UniqueHandle threads_[Capacity];
    std::size_t count_ = 0;
};

// A storage medium from IDataObject::GetData, released with ReleaseStgMedium.
class StorageMedium {
public:
    StorageMedium() noexcept = default;
    explicit StorageMedium(const STGMEDIUM& medium) noexcept : medium_(medium) {}
    StorageMedium(const StorageMedium&) = delete;
    StorageMedium& operator=(const StorageMedium&) = delete;
    ~StorageMedium()
    {
        if (medium_.tymed != TYMED_NULL) ::ReleaseStgMedium(&medium_);
    }
    const STGMEDIUM& get() const noexcept { return medium_; }

private:
    STGMEDIUM medium_{};
};

// An object selected into a device context for the scope; the previous one
// is selected back at its end.
class ScopedSelection {
public:
    ScopedSelection(HDC dc, HGDIOBJ object) noexcept
        : dc_(dc), previous_(object ? ::SelectObject(dc, object) : nullptr) {}
    ~ScopedSelection()
    {
        if (previous_) ::SelectObject(dc_, previous_);
    }
    ScopedSelection(const ScopedSelection&) = delete;
    ScopedSelection& operator=(const ScopedSelection&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

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

// COM on the calling thread for the scope, in an apartment of its own (the
// thread runs a message loop); left at the scope's end when it was entered.
class ComApartment {
public:
    ComApartment() noexcept : entered_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment()
    {
        if (entered_) ::CoUninitialize();
    }
    bool entered() const noexcept { return entered_; }

private:
    bool entered_;
};

// A string that the system allocated with LocalAlloc (FormatMessageW).
using UniqueLocalString = UniqueAny<wchar_t*, detail::FreeLocal>;

} // namespace lumbrix
