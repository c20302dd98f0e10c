#include "owner_window.h"

namespace lumbrix::test {

OwnerWindow::OwnerWindow(RECT rect) : ready_(::CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
    thread_ = std::thread([this, rect] {
        threadId_ = ::GetCurrentThreadId();
        window_ = ::CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, rect.left,
                                    rect.top, rect.right - rect.left, rect.bottom - rect.top, nullptr,
                                    nullptr, nullptr, nullptr);
        // Foreground with the keyboard focus, as the file manager is when a copy starts.
        ::SetForegroundWindow(window_);
        ::SetFocus(window_);
        MSG message;
        ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE); // the queue exists before anyone posts
        ::SetEvent(ready_);
        while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        ::DestroyWindow(window_);
    });
    ::WaitForSingleObject(ready_, INFINITE);
}

OwnerWindow::~OwnerWindow()
{
    ::PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
    thread_.join();
    ::CloseHandle(ready_);
}

} // namespace lumbrix::test
