#include "settings/system_error_text.h"

#include "common/unique_any.h"

namespace lumbrix {

std::wstring SystemErrorText(DWORD code)
{
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    UniqueLocalString owner(buffer);
    if (length == 0 || !buffer) return {};
    return std::wstring(buffer, length);
}

} // namespace lumbrix
