#include "common/trace_system_error.h"

#include "common/system_error_text.h"

namespace lumbrix {

void TraceSystemError(DWORD code, const wchar_t* functionName) noexcept
{
    const UniqueLocalString text = FormatSystemMessage(code);
    ::OutputDebugStringW(functionName);
    ::OutputDebugStringW(L"(): ");
    if (text) ::OutputDebugStringW(text.get());
}

} // namespace lumbrix
