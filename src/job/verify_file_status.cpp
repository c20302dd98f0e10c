#include "job/verify_file_status.h"

#include "common/long_path.h"
#include "job/checksum_line.h"

#include <windows.h>

namespace lumbrix {

VerifyStatus StatusFromColumns(const ChecksumDigest& expected, std::wstring_view columns,
                               const std::wstring& fullPath) noexcept
{
    ChecksumDigest computed;
    if (!FindTaggedDigest(columns, expected.algorithm, computed)) return StatusOfUnreadFile(fullPath);
    return computed == expected ? VerifyStatus::Match : VerifyStatus::Mismatch;
}

VerifyStatus StatusOfUnreadFile(const std::wstring& fullPath) noexcept
{
    DWORD attributes = INVALID_FILE_ATTRIBUTES;
    try {
        attributes = ::GetFileAttributesW(ToExtendedLengthPath(fullPath).c_str());
    } catch (...) { // no memory for the path
        return VerifyStatus::Unreadable;
    }
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? VerifyStatus::NotFound
                                                                                : VerifyStatus::Unreadable;
    }
    return attributes & FILE_ATTRIBUTE_DIRECTORY ? VerifyStatus::NotFound : VerifyStatus::Unreadable;
}

} // namespace lumbrix
