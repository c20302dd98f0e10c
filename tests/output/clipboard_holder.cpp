// Helper program for the clipboard tests: keeps the clipboard open, as another
// program might, until it is told to let go.
//   clipboard_holder <event prefix>
// Sets "<prefix>-held" once the clipboard is open, closes it when
// "<prefix>-release" is set (or after a minute), then sets "<prefix>-released".

#include <windows.h>
#include <shellapi.h>

#include <string>

int main()
{
    int count = 0;
    wchar_t** arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!arguments || count < 2) return 2;
    const std::wstring prefix = arguments[1];
    ::LocalFree(arguments);
    const HANDLE held = ::OpenEventW(EVENT_MODIFY_STATE, FALSE, (prefix + L"-held").c_str());
    const HANDLE release = ::OpenEventW(SYNCHRONIZE, FALSE, (prefix + L"-release").c_str());
    const HANDLE released = ::OpenEventW(EVENT_MODIFY_STATE, FALSE, (prefix + L"-released").c_str());
    if (!held || !release || !released) return 3;
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
    ::SetEvent(held);
    ::WaitForSingleObject(release, 60000);
    ::CloseClipboard();
    ::SetEvent(released);
    if (window) ::DestroyWindow(window);
    return 0;
}
