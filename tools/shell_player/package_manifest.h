#pragma once
// The in-process server that a package manifest names for its Explorer
// context-menu verb, found as Windows finds it: the verb's class id, then the
// COM class with that id and its DLL path relative to the external location.

#include <windows.h>

#include <string>

namespace shell_player {

struct PackagedServer {
    CLSID clsid{};
    std::wstring path; // relative to the package's external location
};

// False with a message when the file cannot be read or names no such class.
bool ReadPackagedServer(const std::wstring& manifestPath, PackagedServer& server, std::wstring& error);

} // namespace shell_player
