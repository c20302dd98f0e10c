#pragma once
// The submenu of copy commands and option toggles, as the context menu and
// the option popup show it.

#include "common/unique_any.h"
#include "settings/output_options.h"

#include <windows.h>

#include <cstdint>

namespace lumbrix {

// Commands 1 to 15 at identifiers commandBase + n - 1 (kCommandCount - 1 of
// them), a separator after command 5, copy commands grayed by the selection's
// make-up, check marks from options. The results of the single menu calls are
// ignored. The menu belongs to the caller until it is inserted into another.
UniqueMenu BuildCommandMenu(UINT commandBase, bool isDriveRoot, std::uint64_t fileCount, std::uint64_t folderCount,
                            const OutputOptions& options) noexcept;

// True when the selection's make-up rules copy command out (both menus gray
// it): "one level down" needs exactly one folder that is not a drive root and
// no files; the walking commands need a folder when files are selected.
bool IsCopyCommandGrayed(int command, bool isDriveRoot, std::uint64_t fileCount,
                         std::uint64_t folderCount) noexcept;

// Sets the check marks of the option commands from options.
void SetOptionCheckMarks(HMENU menu, UINT commandBase, const OutputOptions& options) noexcept;

} // namespace lumbrix
