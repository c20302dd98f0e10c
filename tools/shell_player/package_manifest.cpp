#include "package_manifest.h"

#include <objbase.h>

namespace shell_player {
namespace {

std::string ReadFileBytes(const std::wstring& path)
{
    std::string bytes;
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0) bytes.append(buffer, read);
    ::CloseHandle(file);
    return bytes;
}

// The value of name="..." inside the element that starts at start; empty when absent.
std::string Attribute(const std::string& xml, std::size_t start, const std::string& name)
{
    const std::size_t end = xml.find('>', start);
    const std::size_t at = xml.find(" " + name + "=\"", start);
    if (at == std::string::npos || at > end) return {};
    const std::size_t value = at + name.size() + 3;
    return xml.substr(value, xml.find('"', value) - value);
}

std::wstring Wide(const std::string& utf8)
{
    std::wstring wide(utf8.size(), L'\0');
    wide.resize(static_cast<std::size_t>(::MultiByteToWideChar(
        CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), static_cast<int>(wide.size()))));
    return wide;
}

} // namespace

bool ReadPackagedServer(const std::wstring& manifestPath, PackagedServer& server, std::wstring& error)
{
    const std::string xml = ReadFileBytes(manifestPath);
    if (xml.empty()) {
        error = L"cannot read the manifest " + manifestPath;
        return false;
    }
    const std::size_t verb = xml.find(":Verb ");
    const std::string clsid = verb == std::string::npos ? std::string() : Attribute(xml, verb, "Clsid");
    if (clsid.empty()) {
        error = L"the manifest has no context-menu verb with a Clsid";
        return false;
    }
    for (std::size_t at = xml.find(":Class "); at != std::string::npos; at = xml.find(":Class ", at + 1)) {
        if (_stricmp(Attribute(xml, at, "Id").c_str(), clsid.c_str()) != 0) continue;
        server.path = Wide(Attribute(xml, at, "Path"));
        if (FAILED(::CLSIDFromString(Wide("{" + clsid + "}").c_str(), &server.clsid)) || server.path.empty()) break;
        return true;
    }
    error = L"the manifest has no COM class " + Wide(clsid) + L" with a Path";
    return false;
}

} // namespace shell_player
