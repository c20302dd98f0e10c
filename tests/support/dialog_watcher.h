#pragma once
// Finds the dialogs and message boxes that the code under test opens in this
// process, records them, and answers them, so that no test hangs on a box.

#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace lumbrix::test {

struct SeenDialog {
    HWND window = nullptr;
    std::wstring caption;
    std::wstring text;       // the message box's text (static control 0xFFFF), if any
    std::wstring ownerClass; // the window class of its owner; empty without one
    HICON icon = nullptr;    // the message box's icon: the system's shared IDI_ handle
};

class DialogWatcher {
public:
    // Returns true when it has dealt with the dialog; false to be asked again
    // on the next look (for dialogs that are still being built). A dialog is
    // in Seen() from before its handler runs, so a box that the code under
    // test showed and that was answered is counted once that code returns.
    using Handler = std::function<bool(const SeenDialog&)>;

    // By default every dialog is answered with the button given (IDOK, IDYES,
    // IDNO, IDCANCEL); the first of those that the dialog has is pressed.
    explicit DialogWatcher(int button = IDOK);
    explicit DialogWatcher(Handler handler);
    ~DialogWatcher();
    DialogWatcher(const DialogWatcher&) = delete;
    DialogWatcher& operator=(const DialogWatcher&) = delete;

    std::vector<SeenDialog> Seen() const;
    std::size_t Count() const;
    // Waits until at least count dialogs have been dealt with.
    bool WaitForCount(std::size_t count, DWORD timeoutMs = 10000) const;

    // Presses a button of a dialog as a user would.
    static void PressButton(HWND dialog, int id);
    // The icon a message box shows, as STM_GETICON gives it; null without one.
    static HICON Icon(HWND box);
    static std::wstring WindowText(HWND window);

private:
    void Run();
    void Look();

    Handler handler_;
    mutable std::mutex mutex_;
    std::vector<SeenDialog> seen_;
    std::vector<HWND> handled_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// Every visible top-level window of this process whose class is "#32770".
std::vector<HWND> ProcessDialogs();

} // namespace lumbrix::test
