#include "hash/trace_system_error.h"

#include "common/unique_any.h"

namespace lumbrix {

void TraceSystemError(DWORD code, const wchar_t* functionName) noexcept
{
    UniqueLocalString text;
    ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
                     nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                     reinterpret_cast<wchar_t*>(text.put()), 0, nullptr);
    ::OutputDebugStringW(functionName);
    ::OutputDebugStringW(L"(): ");
    if (text) ::OutputDebugStringW(text.get());
}

} // namespace lumbrix
