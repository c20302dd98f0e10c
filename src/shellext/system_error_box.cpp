#include "shellext/system_error_box.h"

#include "settings/system_error_text.h"
#include "shellext/module_state.h"

namespace lumbrix {

std::wstring SystemErrorBoxText(DWORD code)
{
    wchar_t number[16] = {};
    ::wsprintfW(number, L"(%d)", static_cast<int>(code));
    return SystemErrorText(code) + number;
}

void ReportSystemError(DWORD code) noexcept
{
    try {
        const std::wstring text = SystemErrorBoxText(code);
        ::MessageBoxW(nullptr, text.c_str(), kProductCaption, MB_ICONINFORMATION);
    } catch (...) {
        // Without memory for the system's text the code alone still tells what failed.
        wchar_t number[16] = {};
        ::wsprintfW(number, L"(%d)", static_cast<int>(code));
        ::MessageBoxW(nullptr, number, kProductCaption, MB_ICONINFORMATION);
    }
}

} // namespace lumbrix
