#pragma once
// The submenu of copy commands, checksum commands and option toggles, as the
// context menu and the option popup show it.

#include "common/unique_any.h"
#include "settings/output_options.h"

#include <windows.h>

#include <cstdint>

namespace lumbrix {

// Commands 1 to kCommandCount - 1, command n at identifier commandBase + n - 1:
// the six copy commands, a separator, the two checksum commands, a separator,
// the ten options and the nested Path format submenu with the path styles
// and the quotes (radio items) and one line. Copy commands grayed by the
// selection's make-up (the checksum commands never are), check marks from
// options. The results of the single menu calls are ignored. The menu belongs
// to the caller until it is inserted into another.
UniqueMenu BuildCommandMenu(UINT commandBase, bool isDriveRoot, std::uint64_t fileCount, std::uint64_t folderCount,
                            const OutputOptions& options) noexcept;

// True when the selection's make-up rules copy command out (both menus gray
// it): "one level down" needs exactly one folder that is not a drive root and
// no files; the walking commands need a folder when files are selected.
bool IsCopyCommandGrayed(int command, bool isDriveRoot, std::uint64_t fileCount,
                         std::uint64_t folderCount) noexcept;

// Sets the check marks of the option commands from options, the nested
// submenu's included.
void SetOptionCheckMarks(HMENU menu, UINT commandBase, const OutputOptions& options) noexcept;

} // namespace lumbrix
