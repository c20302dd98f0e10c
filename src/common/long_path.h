#pragma once
// The extended-length form of a full path ("\\?\C:\..." or "\\?\UNC\srv\share\..."),
// with which the file calls accept paths beyond MAX_PATH. Used for every
// system call on a walked or hashed path; the lines keep the ordinary form.

#include <string>

namespace lumbrix {

// A drive path or a network path gets the prefix; a path that already has
// one, and any other form (relative, device), comes back unchanged.
std::wstring ToExtendedLengthPath(const std::wstring& path);

} // namespace lumbrix
