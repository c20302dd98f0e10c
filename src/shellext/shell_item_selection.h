#pragma once
// The selection as the Windows 11 menu hands it over: an IShellItemArray.
// Only items with a file-system path count, as only those reach the classic
// handler's drop list.

#include "job/copy_request.h"

#include <shobjidl.h>

#include <cstdint>

namespace lumbrix {

// What the gray rules ask of a selection.
struct SelectionMakeUp {
    std::uint64_t fileCount = 0;
    std::uint64_t folderCount = 0;
    bool isDriveRoot = false; // a lone item that is a drive root
};

// From the attributes the items carry, without touching the disk: a folder is
// SFGAO_FOLDER without SFGAO_STREAM, so a .zip counts as a file. Only the
// attributes that the item IDs hold are asked for (no SFGAO_VALIDATE). The
// counts stop once the gray rules are settled (a folder among two or more
// items); E_PENDING when that takes more than itemLimit items.
[[nodiscard]] HRESULT ReadSelectionMakeUp(IShellItemArray* items, SelectionMakeUp& makeUp, DWORD itemLimit = MAXDWORD) noexcept;

// Fills request.selection with the items' file-system paths and the counts
// as above. Throws std::bad_alloc when memory runs out.
[[nodiscard]] HRESULT ReadSelection(IShellItemArray* items, CopyRequest& request);

} // namespace lumbrix
