#pragma once
// What the walk and the selection learn of an item from the file system: its
// attributes and, for a reparse point, its tag; and what they make of them.
// Read in this one place, so that a test can stand in for items that Wine
// cannot make (cloud placeholders, files whose data is online only).

#include <windows.h>

#include <string>
#include <string_view>

namespace lumbrix {

struct ItemAttributes {
    DWORD attributes = INVALID_FILE_ATTRIBUTES; // INVALID_FILE_ATTRIBUTES: could not be read
    DWORD reparseTag = 0;                       // of a reparse point; 0 when not known

    bool Readable() const noexcept { return attributes != INVALID_FILE_ATTRIBUTES; }
    bool IsFolder() const noexcept { return Readable() && (attributes & FILE_ATTRIBUTE_DIRECTORY); }
    // A folder link or junction: a mount point or a symbolic link (or a
    // reparse point whose tag is not known). Cloud placeholders, deduplicated
    // files and the like are what they hold.
    bool IsLink() const noexcept;
    // Data that is not on this machine: reading it would download or recall it.
    bool IsOnlineOnly() const noexcept;
};

// GetFileAttributesW through the extended-length form; no tag.
ItemAttributes AttributesOfPath(const std::wstring& path);
// A listed entry's attributes and tag, as the listing gives them.
ItemAttributes AttributesOfEntry(const WIN32_FIND_DATAW& entry) noexcept;

// For tests: called with the item's name (the last part of a path) and what
// was read, which it may change. Null (the product) reads the system alone.
using AttributeOverride = void (*)(std::wstring_view name, ItemAttributes& attributes);
void SetAttributeOverride(AttributeOverride override) noexcept;

} // namespace lumbrix
