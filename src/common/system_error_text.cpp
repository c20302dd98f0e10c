#include "common/system_error_text.h"

namespace lumbrix {

UniqueLocalString FormatSystemMessage(DWORD code) noexcept
{
    UniqueLocalString text;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<wchar_t*>(text.put()), 0, nullptr);
    if (length == 0) text.reset();
    return text;
}

std::wstring SystemErrorText(DWORD code)
{
    const UniqueLocalString text = FormatSystemMessage(code);
    return text ? std::wstring(text.get()) : std::wstring();
}

} // namespace lumbrix
