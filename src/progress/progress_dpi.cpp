#include "progress/progress_dpi.h"

#include "common/unique_any.h"

namespace lumbrix {
namespace {

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using SystemParametersInfoForDpiFunction = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);
using AdjustWindowRectExForDpiFunction = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

template <typename Function>
Function User32Function(const char* name) noexcept
{
    const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    return user32 ? reinterpret_cast<Function>(::GetProcAddress(user32, name)) : nullptr;
}

struct DpiFunctions {
    GetDpiForWindowFunction getDpiForWindow = User32Function<GetDpiForWindowFunction>("GetDpiForWindow");
    SystemParametersInfoForDpiFunction systemParametersInfoForDpi =
        User32Function<SystemParametersInfoForDpiFunction>("SystemParametersInfoForDpi");
    AdjustWindowRectExForDpiFunction adjustWindowRectExForDpi =
        User32Function<AdjustWindowRectExForDpiFunction>("AdjustWindowRectExForDpi");
};

const DpiFunctions& Functions() noexcept
{
    static const DpiFunctions functions;
    return functions;
}

} // namespace

UINT SystemDpi() noexcept
{
    const UniqueScreenDc screen(::GetDC(nullptr));
    const int dpi = screen ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
    return dpi > 0 ? static_cast<UINT>(dpi) : kBaseDpi;
}

UINT WindowDpi(HWND window) noexcept
{
    if (const auto getDpiForWindow = Functions().getDpiForWindow) {
        if (const UINT dpi = getDpiForWindow(window)) return dpi;
    }
    return SystemDpi();
}

SIZE FrameSizeForClient(int width, int height, DWORD style, DWORD exStyle, UINT dpi) noexcept
{
    RECT rect = {0, 0, width, height};
    const auto adjustForDpi = Functions().adjustWindowRectExForDpi;
    if (!adjustForDpi || !adjustForDpi(&rect, style, FALSE, exStyle, dpi))
        ::AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

HFONT CreateMessageFont(UINT dpi) noexcept
{
    NONCLIENTMETRICSW metrics = {};
    bool found = false;
    if (const auto forDpi = Functions().systemParametersInfoForDpi) {
        // Every system that has the function takes the full structure.
        metrics.cbSize = sizeof(metrics);
        found = forDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, dpi) != FALSE;
    }
    if (!found) {
        // 500 bytes: the layout without iPaddedBorderWidth, which every system accepts.
        static_assert(sizeof(metrics) >= 500);
        metrics.cbSize = 500;
        found = ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, 500, &metrics, 0) != FALSE;
        if (found) {
            // These metrics are at the system DPI.
            LONG& height = metrics.lfMessageFont.lfHeight;
            height = ::MulDiv(height, static_cast<int>(dpi), static_cast<int>(SystemDpi()));
        }
    }
    if (found) {
        if (HFONT font = ::CreateFontIndirectW(&metrics.lfMessageFont)) return font;
    }
    return static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

} // namespace lumbrix
