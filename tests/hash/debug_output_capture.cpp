#include "debug_output_capture.h"

#include <windows.h>

#include <mutex>

namespace lumbrix::test {
namespace {

// OutputDebugStringW hands its text on as 8-bit text in the end, under Wine
// and under Windows alike, so the 8-bit form is the one collected.
constexpr DWORD kDebugPrintException = 0x40010006; // DBG_PRINTEXCEPTION_C

std::mutex captureMutex;
std::string captured;

LONG CALLBACK CollectDebugOutput(EXCEPTION_POINTERS* exception)
{
    const EXCEPTION_RECORD* record = exception->ExceptionRecord;
    if (record->ExceptionCode == kDebugPrintException && record->NumberParameters >= 2) {
        const auto* text = reinterpret_cast<const char*>(record->ExceptionInformation[1]);
        std::lock_guard lock(captureMutex);
        if (text) captured += text;
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

} // namespace

DebugOutputCapture::DebugOutputCapture()
{
    {
        std::lock_guard lock(captureMutex);
        captured.clear();
    }
    handler_ = ::AddVectoredExceptionHandler(1, CollectDebugOutput);
}

DebugOutputCapture::~DebugOutputCapture() { ::RemoveVectoredExceptionHandler(handler_); }

std::wstring DebugOutputCapture::Text() const
{
    std::lock_guard lock(captureMutex);
    if (captured.empty()) return {};
    const int length = ::MultiByteToWideChar(CP_ACP, 0, captured.data(), int(captured.size()), nullptr, 0);
    std::wstring text(std::size_t(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, captured.data(), int(captured.size()), text.data(), length);
    return text;
}

std::wstring SystemText(unsigned long code)
{
    wchar_t* text = nullptr;
    ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
                     nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<wchar_t*>(&text),
                     0, nullptr);
    std::wstring result = text ? text : L"";
    ::LocalFree(text);
    return result;
}

} // namespace lumbrix::test
