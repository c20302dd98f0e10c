// press-button: waits (up to 60 s) until a window whose title starts with
// TITLE has an enabled button captioned TEXT, then presses it as a user
// would, or with "wait" only returns. Exit code 0 when found, 1 otherwise.
// usage: press-button TITLE TEXT [press|wait]

#include <windows.h>

#include <cwchar>

namespace {

struct Search {
    const wchar_t* title;
    const wchar_t* text;
    HWND window = nullptr;
    HWND button = nullptr;
};

BOOL CALLBACK FindButton(HWND child, LPARAM param)
{
    auto* search = reinterpret_cast<Search*>(param);
    wchar_t caption[256] = {};
    ::GetWindowTextW(child, caption, 256);
    if (std::wcscmp(caption, search->text) != 0 || !::IsWindowVisible(child) || !::IsWindowEnabled(child))
        return TRUE;
    search->button = child;
    return FALSE;
}

BOOL CALLBACK FindWindowWithButton(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<Search*>(param);
    wchar_t title[256] = {};
    ::GetWindowTextW(window, title, 256);
    if (std::wcsncmp(title, search->title, std::wcslen(search->title)) != 0) return TRUE;
    ::EnumChildWindows(window, FindButton, param);
    if (!search->button) return TRUE;
    search->window = window;
    return FALSE;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3) return 2;
    bool press = argc < 4 || std::wcscmp(argv[3], L"wait") != 0;
    for (int i = 0; i < 600; ++i, ::Sleep(100)) {
        Search search{argv[1], argv[2]};
        ::EnumWindows(FindWindowWithButton, reinterpret_cast<LPARAM>(&search));
        if (!search.button) continue;
        if (press)
            ::SendMessageW(search.window, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(search.button), BN_CLICKED),
                           reinterpret_cast<LPARAM>(search.button));
        return 0;
    }
    return 1;
}
