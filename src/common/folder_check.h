#pragma once
// Whether a path names a folder, asked of the file system.

#include <string>

namespace lumbrix {

// Through the extended-length form, so that a folder deeper than MAX_PATH (or
// a name ending in a dot or a space) is still found. A path that cannot be
// asked (gone, no access) is not a folder.
bool IsFolderOnDisk(const std::wstring& path);

} // namespace lumbrix
