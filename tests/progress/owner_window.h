#pragma once
// A top-level window on a thread of its own that keeps pumping messages, as
// the file manager's window does while a copy runs; it starts in the foreground
// with the keyboard focus.

#include <windows.h>

#include <thread>

namespace lumbrix::test {

class OwnerWindow {
public:
    explicit OwnerWindow(RECT rect);
    ~OwnerWindow();
    OwnerWindow(const OwnerWindow&) = delete;
    OwnerWindow& operator=(const OwnerWindow&) = delete;

    HWND get() const noexcept { return window_; }

private:
    HWND window_ = nullptr;
    DWORD threadId_ = 0;
    HANDLE ready_ = nullptr;
    std::thread thread_;
};

} // namespace lumbrix::test
