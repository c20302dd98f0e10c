#pragma once
// Where a checksum list's entry points, decided from its text alone, before
// anything is opened. A list may come from anywhere: an entry that names a
// network or device path, or a stream of a file, must never make the file
// manager touch it. Portable.

#include <string>
#include <string_view>

namespace lumbrix {

enum class EntryPathKind {
    Local,  // a full path on a drive or below the base: may be opened
    Unsafe, // a network, device or stream path, or a reserved device name: never opened
    Invalid // a drive-relative path ("C:name"), no base for a relative one, or too long
};

// Resolves an entry's path as written ('\' or '/' between parts) against
// baseFolder, a full path such as "C:\Data", "D:\" or "\\server\share\dir"
// (the extended-length prefix is accepted and dropped). A drive path stands
// on its own; a path rooted in "\" starts at the base's root; any other
// path starts at the base. "." and ".." parts are resolved in the text (".."
// stops at the root) and empty parts dropped. full receives the result in
// the ordinary form, "C:\Data\x.iso"; for an Unsafe or Invalid entry it
// receives the best text there is for showing it. Throws std::bad_alloc.
EntryPathKind ResolveEntryPath(std::wstring_view written, std::wstring_view baseFolder, std::wstring& full);

} // namespace lumbrix
