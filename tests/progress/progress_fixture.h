#pragma once
// A progress record whose window the test drives as the worker would.

#include "progress/progress_window.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

namespace lumbrix::test {

struct ProgressDeleter {
    void operator()(ProgressWindow* progress) const noexcept
    {
        CloseProgressWindow(*progress);
        delete progress;
    }
};
using ProgressPointer = std::unique_ptr<ProgressWindow, ProgressDeleter>;

inline ProgressPointer NewProgress(HWND owner = nullptr)
{
    ProgressPointer progress(new ProgressWindow);
    progress->owner = owner;
    return progress;
}

// Polls until condition holds; returns whether it held. The limit only keeps a
// broken build from hanging: no test depends on how soon a condition holds.
inline bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs = 10000)
{
    const DWORD start = ::GetTickCount();
    while (!condition()) {
        if (::GetTickCount() - start > timeoutMs) return false;
        ::Sleep(10);
    }
    return true;
}

// Reads the caption without sending a message, so it works while the window's
// thread sleeps (the one second after a cancel).
inline std::wstring TextOf(HWND window)
{
    wchar_t text[512] = {};
    ::InternalGetWindowText(window, text, 512);
    return text;
}

inline std::wstring ClassOf(HWND window)
{
    wchar_t name[256] = {};
    ::GetClassNameW(window, name, 256);
    return name;
}

inline RECT WindowRect(HWND window)
{
    RECT rect = {};
    ::GetWindowRect(window, &rect);
    return rect;
}

// A child's rectangle in its parent's client coordinates.
inline RECT ChildRect(HWND parent, int id)
{
    RECT rect = WindowRect(::GetDlgItem(parent, id));
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

} // namespace lumbrix::test
