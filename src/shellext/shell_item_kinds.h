#pragma once
// Which selected items are folders, as the shell itself knows them: read from
// the data object's item list (CFSTR_SHELLIDLIST) with one bind to the parent
// folder, so that no item costs a trip to the disk.

#include <objidl.h>

#include <vector>

namespace lumbrix {

// One flag per item, in the data object's order; empty when there is no item
// list, it is malformed, or it does not hold expectedCount items. A folder is
// SFGAO_FOLDER without SFGAO_STREAM, so a .zip is a file.
std::vector<bool> ShellFolderFlags(IDataObject* data, unsigned expectedCount);

} // namespace lumbrix
