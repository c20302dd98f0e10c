#include "common/long_path.h"

namespace lumbrix {

std::wstring ToExtendedLengthPath(const std::wstring& path)
{
    const auto isLetter = [](wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); };
    if (path.size() >= 3 && isLetter(path[0]) && path[1] == L':' && path[2] == L'\\')
        return L"\\\\?\\" + path;
    if (path.size() >= 3 && path[0] == L'\\' && path[1] == L'\\' && path[2] != L'?' && path[2] != L'.')
        return L"\\\\?\\UNC\\" + path.substr(2);
    return path;
}

} // namespace lumbrix
