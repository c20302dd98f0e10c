#pragma once
// Plays the user in front of this process's popup menus (window class
// "#32768"): every time a menu appears, the handler looks at it and says which
// key to press; the key goes to the menu's own message loop.

#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace lumbrix::test {

struct ShownMenu {
    HWND window = nullptr;
    HMENU menu = nullptr; // MN_GETHMENU
    RECT rect{};
};

class PopupMenuDriver {
public:
    // Returns the mnemonic to type, or 0 for Escape.
    using Handler = std::function<wchar_t(const ShownMenu&)>;
    // Returns the mnemonics to type one after the other (the first may open a
    // nested submenu, the next choose in it), or nothing for Escape.
    using KeysHandler = std::function<std::wstring(const ShownMenu&)>;

    explicit PopupMenuDriver(Handler handler);
    explicit PopupMenuDriver(KeysHandler handler);
    // Answers every menu with Escape.
    PopupMenuDriver() : PopupMenuDriver([](const ShownMenu&) { return L'\0'; }) {}
    ~PopupMenuDriver();
    PopupMenuDriver(const PopupMenuDriver&) = delete;
    PopupMenuDriver& operator=(const PopupMenuDriver&) = delete;

    std::size_t Appearances() const { return appearances_.load(); }

private:
    void Run();

    KeysHandler handler_;
    std::atomic<std::size_t> appearances_{0};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// A visible top-level window of the main thread, made the foreground window,
// as the shell's window is when a command is invoked. One window serves the
// whole program: destroying a window costs Wine two seconds.
HWND ForegroundOwnerWindow();

inline bool IsChecked(HMENU menu, UINT id)
{
    return (::GetMenuState(menu, id, MF_BYCOMMAND) & MF_CHECKED) != 0;
}
inline bool IsGrayed(HMENU menu, UINT id)
{
    return (::GetMenuState(menu, id, MF_BYCOMMAND) & MF_GRAYED) != 0;
}

} // namespace lumbrix::test
