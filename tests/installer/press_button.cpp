// press-button: waits (up to 60 s) until the window titled TITLE has an
// enabled button captioned TEXT, then presses it as a user would, or with
// "wait" only returns; with "print" it first writes the text of the window's
// message (a message box's, UTF-8) to stdout. Exit code 0 when found, 1 otherwise.
// usage: press-button TITLE TEXT [press|wait|print]

#include <windows.h>

#include <cwchar>

namespace {

// A message box's message is its static control with id 0xFFFF.
void PrintMessage(HWND window)
{
    wchar_t text[4096] = {};
    ::GetDlgItemTextW(window, 0xFFFF, text, 4096);
    char utf8[3 * 4096];
    int length = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, nullptr, nullptr);
    DWORD size = length > 0 ? static_cast<DWORD>(length - 1) : 0, written = 0; // without the terminator
    ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), utf8, size, &written, nullptr);
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3) return 2;
    const wchar_t* mode = argc < 4 ? L"press" : argv[3];
    for (int i = 0; i < 600; ++i, ::Sleep(100)) {
        HWND window = ::FindWindowW(nullptr, argv[1]);
        HWND button = window ? ::FindWindowExW(window, nullptr, L"Button", argv[2]) : nullptr;
        if (!button || !::IsWindowEnabled(button) || !::IsWindowVisible(button)) continue;
        if (std::wcscmp(mode, L"wait") == 0) return 0;
        if (std::wcscmp(mode, L"print") == 0) PrintMessage(window);
        ::SendMessageW(window, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(button), BN_CLICKED),
                       reinterpret_cast<LPARAM>(button));
        return 0;
    }
    return 1;
}
