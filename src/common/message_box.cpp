#include "common/message_box.h"

#include "common/module_identity.h"
#include "common/system_error_text.h"

namespace lumbrix {

int ShowMessage(HWND owner, const wchar_t* text, UINT type) noexcept
{
    return ::MessageBoxW(owner, text, kProductCaption, type);
}

std::wstring SystemErrorBoxText(DWORD code)
{
    wchar_t number[16] = {};
    ::wsprintfW(number, L"(%d)", static_cast<int>(code));
    return SystemErrorText(code) + number;
}

void ReportSystemError(DWORD code) noexcept
{
    try {
        ShowMessage(nullptr, SystemErrorBoxText(code).c_str(), MB_ICONINFORMATION);
    } catch (...) {
        // Without memory for the system's text the code alone still tells what failed.
        wchar_t number[16] = {};
        ::wsprintfW(number, L"(%d)", static_cast<int>(code));
        ShowMessage(nullptr, number, MB_ICONINFORMATION);
    }
}

} // namespace lumbrix
