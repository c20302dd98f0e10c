#include "popup_menu_driver.h"

#ifndef MN_GETHMENU
#define MN_GETHMENU 0x01E1
#endif

namespace lumbrix::test {
namespace {

BOOL CALLBACK FindVisibleMenu(HWND window, LPARAM parameter)
{
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    if (process != ::GetCurrentProcessId() || !::IsWindowVisible(window)) return TRUE;
    wchar_t className[16] = {};
    ::GetClassNameW(window, className, 16);
    if (::lstrcmpW(className, L"#32768") != 0) return TRUE;
    *reinterpret_cast<HWND*>(parameter) = window;
    return FALSE;
}

HWND VisibleMenu()
{
    HWND found = nullptr;
    ::EnumWindows(FindVisibleMenu, reinterpret_cast<LPARAM>(&found));
    return found;
}

LRESULT CALLBACK PlainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

PopupMenuDriver::PopupMenuDriver(Handler handler)
    : PopupMenuDriver(KeysHandler([handler = std::move(handler)](const ShownMenu& menu) {
          const wchar_t key = handler(menu);
          return key ? std::wstring(1, key) : std::wstring();
      }))
{
}

PopupMenuDriver::PopupMenuDriver(KeysHandler handler) : handler_(std::move(handler))
{
    thread_ = std::thread([this] { Run(); });
}

PopupMenuDriver::~PopupMenuDriver()
{
    stop_ = true;
    thread_.join();
}

void PopupMenuDriver::Run()
{
    HWND answered = nullptr;
    while (!stop_) {
        ::Sleep(10);
        HWND window = VisibleMenu();
        if (!window || window == answered) continue;
        ShownMenu shown;
        shown.window = window;
        shown.menu = reinterpret_cast<HMENU>(::SendMessageW(window, MN_GETHMENU, 0, 0));
        ::GetWindowRect(window, &shown.rect);
        const std::wstring keys = handler_(shown);
        ++appearances_;
        // The menu's loop reads the keys in turn, each for the menu open then.
        for (const wchar_t key : keys) ::PostMessageW(window, WM_CHAR, key, 0);
        if (keys.empty()) ::PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
        answered = window;
        // The same window may be shown again by the next round.
        for (int i = 0; i < 500 && !stop_ && ::IsWindow(window) && ::IsWindowVisible(window); ++i) ::Sleep(5);
        if (!::IsWindow(window) || !::IsWindowVisible(window)) answered = nullptr;
    }
}

HWND ForegroundOwnerWindow()
{
    static const HWND window = [] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = PlainWindowProc;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"LumbrixTestOwner";
        ::RegisterClassW(&windowClass);
        return ::CreateWindowExW(0, L"LumbrixTestOwner", L"owner", WS_POPUP | WS_VISIBLE, 100, 100, 300, 200,
                                 nullptr, nullptr, windowClass.hInstance, nullptr);
    }();
    ::SetForegroundWindow(window);
    return window;
}

} // namespace lumbrix::test
