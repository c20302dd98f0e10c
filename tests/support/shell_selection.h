#pragma once
// The selection's data object as Explorer hands it to a context-menu handler.

#include <objidl.h>
#include <shobjidl.h>

#include <string>
#include <vector>

namespace shell_player {

// Asks the system's shell for the IDataObject of items that share one parent
// folder (a selection is always taken from one folder view). Returns the
// failing HRESULT otherwise.
HRESULT SelectionDataObject(const std::vector<std::wstring>& paths, IDataObject** dataObject);

// The items as the Windows 11 menu hands them to an IExplorerCommand.
HRESULT SelectionItemArray(const std::vector<std::wstring>& paths, IShellItemArray** items);

} // namespace shell_player
