#include "job/checksum_file_lines.h"

#include "job/file_name_case.h"
#include "job/path_strings.h"
#include "job/utf8_text.h"

namespace lumbrix {
namespace {

std::wstring_view WithoutTrailingSeparator(std::wstring_view path) noexcept
{
    while (path.size() > 1 && path.back() == L'\\' && !IsDriveRoot(path)) path.remove_suffix(1);
    return path;
}

// The last part of a path; for a drive's root ("D:\" or "D:") its letter.
std::wstring ItemName(std::wstring_view path)
{
    path = WithoutTrailingSeparator(path);
    if (path.size() >= 2 && path[1] == L':' && (path.size() == 2 || IsDriveRoot(path))) return std::wstring(1, path[0]);
    const std::size_t separator = path.rfind(L'\\');
    return std::wstring(separator == std::wstring_view::npos ? path : path.substr(separator + 1));
}

// The folder that holds path; a drive's root holds itself.
std::wstring HoldingFolder(std::wstring_view path) { return ParentPart(std::wstring(WithoutTrailingSeparator(path))); }

} // namespace

std::wstring DefaultChecksumFileName(std::wstring_view firstSelected, std::size_t selectedCount,
                                     ChecksumAlgorithm algorithm)
{
    std::wstring name = ItemName(selectedCount > 1 ? HoldingFolder(firstSelected) : std::wstring(firstSelected));
    if (name.empty()) name = L"checksums";
    name += ChecksumFileExtension(algorithm);
    return name;
}

void ListedPath(std::wstring_view fullPath, std::wstring_view listFolder, std::wstring& listed)
{
    if (!IsPathBelow(fullPath, listFolder)) {
        listed.assign(fullPath);
        return;
    }
    std::size_t skip = listFolder.size();
    if (listFolder.back() != L'\\') ++skip;
    listed.assign(fullPath.substr(skip));
    for (wchar_t& c : listed)
        if (c == L'\\') c = L'/';
}

bool AppendChecksumFileLine(std::string& out, const ChecksumDigest& digest, std::wstring_view listedPath)
{
    static constexpr char kLower[] = "0123456789abcdef";
    static constexpr char kUpper[] = "0123456789ABCDEF";
    const std::size_t before = out.size();
    const bool sfv = digest.algorithm == ChecksumAlgorithm::Crc32;
    const char* const digits = sfv ? kUpper : kLower;
    const auto putHex = [&] {
        for (std::size_t i = 0; i < digest.size(); ++i) {
            out += digits[digest.bytes[i] >> 4];
            out += digits[digest.bytes[i] & 0xF];
        }
    };
    if (!sfv) {
        putHex();
        out += "  ";
    }
    if (!AppendUtf8(out, listedPath, false)) {
        out.resize(before);
        return false;
    }
    if (sfv) {
        out += ' ';
        putHex();
    }
    out += '\n';
    return true;
}

} // namespace lumbrix
