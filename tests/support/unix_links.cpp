#include "support/unix_links.h"

#include <windows.h>

#include <vector>

namespace lumbrix::test {
namespace {

std::wstring Widen(const std::string& text)
{
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

std::wstring Quoted(const std::wstring& argument) { return L"\"" + argument + L"\""; }

} // namespace

std::string UnixPath(const std::wstring& windowsPath)
{
    using UnixFileName = char*(CDECL*)(const wchar_t*);
    const auto convert = reinterpret_cast<UnixFileName>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!convert) return {};
    char* unixPath = convert(windowsPath.c_str());
    if (!unixPath) return {};
    std::string result = unixPath;
    ::HeapFree(::GetProcessHeap(), 0, unixPath);
    return result;
}

bool StartProgram(const std::wstring& commandLine)
{
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    if (process.hThread) ::CloseHandle(process.hThread);
    if (process.hProcess) ::CloseHandle(process.hProcess);
    return true;
}

bool WaitForAttributes(const std::wstring& path, bool present)
{
    for (int attempt = 0; attempt < 500; ++attempt) {
        if ((::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) == present) return true;
        ::Sleep(10);
    }
    return false;
}

bool MakeFoldersQuickly(const std::wstring& folder)
{
    // mkdir -p needs the Unix name of a folder that does not exist yet: that
    // of the nearest existing parent plus the rest.
    std::size_t cut = folder.size();
    while (cut != std::wstring::npos && ::GetFileAttributesW(folder.substr(0, cut).c_str()) == INVALID_FILE_ATTRIBUTES)
        cut = folder.find_last_of(L'\\', cut - 1);
    if (cut == std::wstring::npos) return false;
    std::wstring rest = folder.substr(cut);
    for (wchar_t& c : rest)
        if (c == L'\\') c = L'/';
    const std::wstring unixFolder = Widen(UnixPath(folder.substr(0, cut))) + rest;
    return StartProgram(L"Z:\\bin\\mkdir -p " + Quoted(unixFolder)) && WaitForAttributes(folder, true);
}

bool RemoveTreeQuickly(const std::wstring& path)
{
    return StartProgram(L"Z:\\bin\\rm -rf " + Quoted(Widen(UnixPath(path)))) && WaitForAttributes(path, false);
}

bool MakeEmptyFilesQuickly(const std::wstring& folder, const std::wstring& stem, int count)
{
    // A last file tells that the others are there.
    const std::wstring script = L"import os, sys; d, s, n = sys.argv[1], sys.argv[2], int(sys.argv[3]); "
                                L"[open(os.path.join(d, s + str(i) + '.txt'), 'w').close() for i in range(n)]; "
                                L"open(os.path.join(d, s + '.done'), 'w').close()";
    const std::wstring done = folder + L"\\" + stem + L".done";
    if (!StartProgram(L"Z:\\usr\\bin\\python3 -c " + Quoted(script) + L" " + Quoted(Widen(UnixPath(folder))) + L" " +
                      Quoted(stem) + L" " + std::to_wstring(count)))
        return false;
    // Up to a minute on a busy machine.
    for (int wait = 0; wait < 12; ++wait)
        if (WaitForAttributes(done, true)) return ::DeleteFileW(done.c_str()) != FALSE;
    return false;
}

bool MakeFolderLink(const std::wstring& link, const std::wstring& target)
{
    const std::size_t slash = link.find_last_of(L'\\');
    const std::string folder = UnixPath(link.substr(0, slash));
    if (folder.empty()) return false;
    const bool windowsTarget = target.size() >= 2 && target[1] == L':';
    const std::wstring unixTarget = windowsTarget ? Widen(UnixPath(target)) : target;
    return StartProgram(L"Z:\\bin\\ln -s " + Quoted(unixTarget) + L" " +
                        Quoted(Widen(folder) + L"/" + link.substr(slash + 1))) &&
           WaitForAttributes(link, true);
}

MappedDrive::MappedDrive(const std::wstring& folder)
{
    // dosdevices holds one link per drive: c: -> ../drive_c and so on.
    std::string devices = UnixPath(L"C:\\");
    const std::size_t cut = devices.rfind("c:");
    if (cut == std::string::npos) return;
    devices.resize(cut);
    const std::wstring target = Widen(UnixPath(folder));
    for (char letter = 'y'; letter >= 'm'; --letter) {
        const std::wstring root = std::wstring(1, static_cast<wchar_t>(letter - 'a' + 'A')) + L":\\";
        if (::GetFileAttributesW(root.c_str()) != INVALID_FILE_ATTRIBUTES) continue;
        const std::string link = devices + letter + ":";
        // A letter that leads nowhere is free, even when an old link is left.
        if (!StartProgram(L"Z:\\bin\\ln -sfn " + Quoted(target) + L" " + Quoted(Widen(link))) ||
            !WaitForAttributes(root, true))
            continue;
        unixLink_ = link;
        root_ = root;
        return;
    }
}

MappedDrive::~MappedDrive()
{
    if (!unixLink_.empty() && StartProgram(L"Z:\\bin\\rm -f " + Quoted(Widen(unixLink_))))
        WaitForAttributes(root_, false);
}

} // namespace lumbrix::test
