#include "common/folder_check.h"

#include "common/long_path.h"

#include <windows.h>

namespace lumbrix {

bool IsFolderOnDisk(const std::wstring& path)
{
    const DWORD attributes = ::GetFileAttributesW(ToExtendedLengthPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace lumbrix
