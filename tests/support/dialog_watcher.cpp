#include "support/dialog_watcher.h"

#include <algorithm>

namespace lumbrix::test {
namespace {

BOOL CALLBACK CollectDialog(HWND window, LPARAM parameter)
{
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    if (process != ::GetCurrentProcessId() || !::IsWindowVisible(window)) return TRUE;
    wchar_t className[64] = {};
    ::GetClassNameW(window, className, 64);
    if (::lstrcmpW(className, L"#32770") == 0)
        reinterpret_cast<std::vector<HWND>*>(parameter)->push_back(window);
    return TRUE;
}

} // namespace

std::vector<HWND> ProcessDialogs()
{
    std::vector<HWND> dialogs;
    ::EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&dialogs));
    return dialogs;
}

DialogWatcher::DialogWatcher(int button)
    : DialogWatcher(Handler([button](const SeenDialog& dialog) {
          const int order[] = {button, IDOK, IDYES, IDNO, IDCANCEL};
          for (int id : order) {
              if (::GetDlgItem(dialog.window, id)) {
                  PressButton(dialog.window, id);
                  return true;
              }
          }
          ::PostMessageW(dialog.window, WM_CLOSE, 0, 0);
          return true;
      }))
{
}

DialogWatcher::DialogWatcher(Handler handler) : handler_(std::move(handler))
{
    thread_ = std::thread([this] { Run(); });
}

DialogWatcher::~DialogWatcher()
{
    stop_ = true;
    thread_.join();
}

void DialogWatcher::Run()
{
    while (!stop_) {
        Look();
        ::Sleep(20);
    }
}

void DialogWatcher::Look()
{
    for (HWND window : ProcessDialogs()) {
        {
            std::lock_guard lock(mutex_);
            if (std::find(handled_.begin(), handled_.end(), window) != handled_.end()) continue;
        }
        SeenDialog dialog;
        dialog.window = window;
        dialog.caption = WindowText(window);
        if (HWND text = ::GetDlgItem(window, 0xFFFF)) dialog.text = WindowText(text);
        wchar_t ownerClass[64] = {};
        if (HWND owner = ::GetWindow(window, GW_OWNER)) ::GetClassNameW(owner, ownerClass, 64);
        dialog.ownerClass = ownerClass;
        dialog.icon = Icon(window);
        // Counted before it is answered: once the code that showed a box has
        // returned, the box is in Seen() and Count().
        {
            std::lock_guard lock(mutex_);
            seen_.push_back(dialog);
        }
        const bool dealt = handler_(dialog);
        std::lock_guard lock(mutex_);
        if (dealt)
            handled_.push_back(window);
        else
            seen_.pop_back(); // still being built: looked at again next time
    }
    // A handle may be reused by a later dialog once its window is gone.
    std::lock_guard lock(mutex_);
    handled_.erase(std::remove_if(handled_.begin(), handled_.end(),
                                  [](HWND window) { return !::IsWindow(window); }),
                   handled_.end());
}

std::vector<SeenDialog> DialogWatcher::Seen() const
{
    std::lock_guard lock(mutex_);
    return seen_;
}

std::size_t DialogWatcher::Count() const
{
    std::lock_guard lock(mutex_);
    return seen_.size();
}

bool DialogWatcher::WaitForCount(std::size_t count, DWORD timeoutMs) const
{
    const DWORD start = ::GetTickCount();
    while (Count() < count) {
        if (::GetTickCount() - start > timeoutMs) return false;
        ::Sleep(10);
    }
    return true;
}

void DialogWatcher::PressButton(HWND dialog, int id)
{
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

HICON DialogWatcher::Icon(HWND box)
{
    for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        if ((::GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
            return reinterpret_cast<HICON>(::SendMessageW(child, STM_GETICON, 0, 0));
    return nullptr;
}

std::wstring DialogWatcher::WindowText(HWND window)
{
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    const int length = ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
    text.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    return text;
}

} // namespace lumbrix::test
