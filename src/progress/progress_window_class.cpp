#include "progress/progress_window_class.h"

#include "common/activation_context.h"
#include "common/module_identity.h"
#include "common/text_table.h"
#include "progress/elapsed_title.h"
#include "progress/progress_dpi.h"
#include "progress/progress_layout.h"
#include "progress/progress_painting.h"
#include "progress/progress_window.h"
#include "resources/resource_ids.h"

#include <commctrl.h>

#include <climits>
#include <utility>

namespace lumbrix {
namespace {

ProgressWindow* ProgressOf(HWND window) noexcept
{
    return reinterpret_cast<ProgressWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
}

// Common controls take int positions; a range beyond that is shown clamped.
int ClampToInt(std::uint64_t value) noexcept
{
    return value > static_cast<std::uint64_t>(INT_MAX) ? INT_MAX : static_cast<int>(value);
}

// Placed by LayOutForDpi.
HWND CreateChild(HWND parent, const wchar_t* className, const wchar_t* text, int id) noexcept
{
    ScopedModuleActivation activation;
    return ::CreateWindowExW(0, className, text, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), moduleInstance, nullptr);
}

void ShowTaskbarProgress(HWND window, ProgressWindow& progress) noexcept
{
    if (progress.taskbar) progress.taskbar->SetProgressValue(window, progress.Position(), progress.total);
}

void SetBarPosition(HWND window, const ProgressWindow& progress) noexcept
{
    ::SendDlgItemMessageW(window, kProgressBarId, PBM_SETPOS, ClampToInt(progress.Position()), 0);
}

// Sizes the window for dpi (to suggested when the system gives a place), then
// sets the font and places the children for it.
void LayOutForDpi(HWND window, ProgressWindow& progress, UINT dpi, const RECT* suggested) noexcept
{
    progress.dpi = dpi;
    constexpr UINT kKeepPlace = SWP_NOZORDER | SWP_NOACTIVATE;
    if (suggested) {
        ::SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                       suggested->bottom - suggested->top, kKeepPlace);
    } else {
        // The width is the outer one, as the window has always had it.
        const int width = ScaleForDpi(kProgressClientWidth, dpi);
        const SIZE frame = FrameSizeForClient(width, ScaleForDpi(kProgressClientHeight, dpi), kProgressFrameStyle,
                                              kProgressExStyle, dpi);
        ::SetWindowPos(window, nullptr, 0, 0, width, frame.cy, kKeepPlace | SWP_NOMOVE);
    }
    RECT client = {};
    ::GetClientRect(window, &client);
    const auto scaled = [dpi](int value) { return ScaleForDpi(value, dpi); };
    const int barLeft = scaled(kBarLeft);
    ::MoveWindow(::GetDlgItem(window, kProgressBarId), barLeft, scaled(kBarTop),
                 client.right - scaled(kBarRightGap) - barLeft, scaled(kBarHeight), TRUE);
    const HWND button = ::GetDlgItem(window, kCancelButtonId);
    ::MoveWindow(button, client.right - scaled(kButtonRightGap) - scaled(kButtonWidth), scaled(kButtonTop),
                 scaled(kButtonWidth), scaled(kButtonHeight), TRUE);
    // The old font is deleted only once the button has let go of it.
    UniqueFont font(CreateMessageFont(dpi));
    if (button) ::SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    progress.font = std::move(font);
    ::InvalidateRect(window, nullptr, FALSE);
}

LRESULT OnCreate(HWND window, const CREATESTRUCTW& create) noexcept
{
    auto* progress = static_cast<ProgressWindow*>(create.lpCreateParams);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(progress));
    progress->startTick = ::GetTickCount();
    ::SetTimer(window, kShowTimerId, kShowDelayMs, nullptr);
    ::SetTimer(window, kRefreshTimerId, kRefreshPeriodMs, nullptr);
    CreateChild(window, PROGRESS_CLASSW, L"", kProgressBarId);
    CreateChild(window, L"BUTTON", Text(IDS_PROGRESS_CANCEL_BUTTON), kCancelButtonId);
    LayOutForDpi(window, *progress, WindowDpi(window), nullptr);
    return 0;
}

void OnRefresh(HWND window, ProgressWindow& progress) noexcept
{
    if (!progress.IsRunning()) {
        if (!progress.lingering) ::DestroyWindow(window); // the linger's own timer ends that
        return;
    }
    wchar_t title[64];
    FormatElapsedTitle(title, 64, ::GetTickCount(), progress.startTick);
    SetWindowTextIfChanged(window, title);
    ::InvalidateRect(window, nullptr, FALSE);
    SetBarPosition(window, progress);
    ShowTaskbarProgress(window, progress);
}

void OnCancel(HWND window, ProgressWindow& progress) noexcept
{
    // A click that arrives after the worker has stopped changes nothing.
    if (!progress.Stop()) return;
    progress.lingering = true;
    ::KillTimer(window, kRefreshTimerId);
    wchar_t title[128];
    FormatCancelledTitle(title, 128);
    ::SetWindowTextW(window, title);
    ::EnableWindow(::GetDlgItem(window, kCancelButtonId), FALSE);
    ::EnableWindow(window, FALSE);
    // Long enough to read the title. A timer, not a pause: the owner's input
    // queue is attached to this thread's, and the file manager must not freeze.
    ::SetTimer(window, kLingerTimerId, kLingerMs, nullptr);
}

LRESULT OnProgressMessage(HWND window, UINT message, WPARAM wParam, ProgressWindow& progress) noexcept
{
    switch (message) {
    case WM_PROGRESS_SETRANGE:
        ::SendDlgItemMessageW(window, kProgressBarId, PBM_SETRANGE32, 0, ClampToInt(wParam));
        if (progress.taskbar) {
            progress.total = wParam;
            ShowTaskbarProgress(window, progress);
        }
        break;
    case WM_PROGRESS_UPDATE:
        ::InvalidateRect(window, nullptr, FALSE);
        SetBarPosition(window, progress);
        ShowTaskbarProgress(window, progress);
        break;
    case WM_PROGRESS_STOPTIMER:
        ::KillTimer(window, kRefreshTimerId);
        break;
    case WM_PROGRESS_RESTARTTIMER:
        ::KillTimer(window, kRefreshTimerId);
        ::SetTimer(window, kRefreshTimerId, kRefreshPeriodMs, nullptr);
        break;
    }
    return 0;
}

LRESULT CALLBACK ProgressWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CREATE) return OnCreate(window, *reinterpret_cast<const CREATESTRUCTW*>(lParam));
    ProgressWindow* progress = ProgressOf(window);
    if (!progress) return ::DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
    case WM_TIMER:
        if (wParam == kShowTimerId) {
            ::KillTimer(window, kShowTimerId);
            // Not activated: the user may be typing a file name in the owner.
            ::ShowWindow(window, SW_SHOWNOACTIVATE);
            return 0;
        }
        if (wParam == kRefreshTimerId) {
            OnRefresh(window, *progress);
            return 0;
        }
        if (wParam == kLingerTimerId) {
            ::DestroyWindow(window);
            return 0;
        }
        break;
    case WM_CLOSE:
        if (progress->lingering) return 0; // the worker's close waits out the second
        break;
    case WM_DPICHANGED:
        LayOutForDpi(window, *progress, LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_PAINT:
        PaintProgressWindow(window, *progress);
        return 0;
    case WM_ERASEBKGND:
        return 1; // the painting covers the whole client area
    case WM_COMMAND:
        if (LOWORD(wParam) == kCancelButtonId) {
            OnCancel(window, *progress);
            return 0;
        }
        break;
    case WM_PROGRESS_SETRANGE:
    case WM_PROGRESS_UPDATE:
    case WM_PROGRESS_STOPTIMER:
    case WM_PROGRESS_RESTARTTIMER:
        return OnProgressMessage(window, message, wParam, *progress);
    case WM_DESTROY:
        progress->Stop();
        progress->font.reset();
        ::KillTimer(window, kShowTimerId);
        ::KillTimer(window, kRefreshTimerId);
        ::KillTimer(window, kLingerTimerId);
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

// The provisional place, over the work area at the system DPI; the window
// sizes itself for its own DPI, and PlaceOverWindow moves it over the owner.
RECT ProvisionalRect() noexcept
{
    RECT work = {};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const UINT dpi = SystemDpi();
    const int width = ScaleForDpi(kProgressClientWidth, dpi);
    const int height = ScaleForDpi(kProgressClientHeight, dpi);
    const int top = (work.bottom - work.top - height) / 3;
    RECT rect = {0, top, width, top + height};
    ::AdjustWindowRect(&rect, kProgressFrameStyle, FALSE);
    rect.left = (work.right - work.left - width) / 2;
    rect.right = rect.left + width;
    return rect;
}

} // namespace

namespace {

// 0 when the class exists afterwards, else the registration's error.
DWORD RegisterClassError() noexcept
{
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = kProgressClassStyle;
    windowClass.lpfnWndProc = ProgressWindowProc;
    windowClass.hInstance = moduleInstance;
    windowClass.hIcon = ::LoadIconW(moduleInstance, MAKEINTRESOURCEW(IDI_LUMBRIX_ICON));
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    windowClass.lpszClassName = kProgressWindowClass;
    ATOM atom = 0;
    {
        ScopedModuleActivation activation;
        // The bar's class comes from the common controls that the context selects.
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_PROGRESS_CLASS};
        ::InitCommonControlsEx(&controls);
        ::SetLastError(ERROR_SUCCESS);
        atom = ::RegisterClassExW(&windowClass);
    }
    const DWORD error = atom ? ERROR_SUCCESS : ::GetLastError();
    return error == ERROR_CLASS_ALREADY_EXISTS ? ERROR_SUCCESS : error;
}

} // namespace

HRESULT RegisterProgressWindowClass() noexcept
{
    // Copies start side by side. A thread that is told "already exists" while
    // another is still registering the class would not find it a moment later
    // (seen under Wine), so the first registration runs once, and the threads
    // that arrive meanwhile wait for it. A failed one is tried again by later jobs.
    static const DWORD firstError = RegisterClassError();
    const DWORD error = firstError == ERROR_SUCCESS ? ERROR_SUCCESS : RegisterClassError();
    return HRESULT_FROM_WIN32(error);
}

void UnregisterProgressWindowClass() noexcept
{
    // Fails harmlessly when no window of the class was ever made.
    ::UnregisterClassW(kProgressWindowClass, moduleInstance);
}

HWND CreateProgressWindow(ProgressWindow& progress, HWND owner) noexcept
{
    const RECT rect = ProvisionalRect();
    ScopedModuleActivation activation;
    return ::CreateWindowExW(kProgressExStyle, kProgressWindowClass, kProgressTitle, kProgressStyle,
                             rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                             owner, nullptr, moduleInstance, &progress);
}

bool LayOutForWindowDpi(HWND window) noexcept
{
    ProgressWindow* progress = ProgressOf(window);
    const UINT dpi = WindowDpi(window);
    if (!progress || dpi == progress->dpi) return false;
    LayOutForDpi(window, *progress, dpi, nullptr);
    return true;
}

} // namespace lumbrix
