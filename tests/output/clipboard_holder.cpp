// Helper program for the clipboard tests: keeps the clipboard open, as another
// program might, for the given milliseconds.
//   clipboard_holder <event name> <milliseconds>
// Sets the named event once the clipboard is open.

#include <windows.h>
#include <shellapi.h>

#include <cwchar>

int main()
{
    int count = 0;
    wchar_t** arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!arguments || count < 3) return 2;
    const HANDLE ready = ::OpenEventW(EVENT_MODIFY_STATE, FALSE, arguments[1]);
    const DWORD holdMs = static_cast<DWORD>(std::wcstoul(arguments[2], nullptr, 10));
    ::LocalFree(arguments);
    if (!ready) return 3;
    // With a window of its own, as programs usually hold it: a holder without
    // one does not keep other windowless openers out under Wine.
    const HWND window = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                          nullptr, nullptr);
    bool opened = false;
    for (int attempt = 0; attempt < 500 && !opened; ++attempt) {
        opened = ::OpenClipboard(window) != FALSE;
        if (!opened) ::Sleep(10);
    }
    if (!opened) return 4;
    ::SetEvent(ready);
    ::CloseHandle(ready);
    ::Sleep(holdMs);
    ::CloseClipboard();
    if (window) ::DestroyWindow(window);
    return 0;
}
