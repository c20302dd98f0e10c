// press-button: waits (up to 60 s) until the window titled TITLE has an
// enabled button captioned TEXT, then presses it as a user would, or with
// "wait" only returns. Exit code 0 when found, 1 otherwise.
// usage: press-button TITLE TEXT [press|wait]

#include <windows.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3) return 2;
    bool press = argc < 4 || std::wcscmp(argv[3], L"wait") != 0;
    for (int i = 0; i < 600; ++i, ::Sleep(100)) {
        HWND window = ::FindWindowW(nullptr, argv[1]);
        HWND button = window ? ::FindWindowExW(window, nullptr, L"Button", argv[2]) : nullptr;
        if (!button || !::IsWindowEnabled(button) || !::IsWindowVisible(button)) continue;
        if (press)
            ::SendMessageW(window, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(button), BN_CLICKED),
                           reinterpret_cast<LPARAM>(button));
        return 0;
    }
    return 1;
}
