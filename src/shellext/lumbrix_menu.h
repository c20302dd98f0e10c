#pragma once
// The context-menu handler that the shell creates for files and folders.

#include "job/selection_list.h"
#include "settings/output_options.h"
#include "shellext/com_object.h"

#include <shlobj.h>
#include <shobjidl.h>

#include <cstdint>

namespace lumbrix {

// Its identity is the IShellExtInit pointer.
class LumbrixMenu final : public ComObject<IShellExtInit, IContextMenu> {
public:
    // Not noexcept: a standard set may allocate when it is constructed, and
    // MakeComObject turns that failure into an empty pointer.
    LumbrixMenu() = default;

    // IShellExtInit
    STDMETHODIMP Initialize(PCIDLIST_ABSOLUTE pidlFolder, IDataObject* pdtobj, HKEY hkeyProgID) override;

    // IContextMenu
    STDMETHODIMP QueryContextMenu(HMENU hmenu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast,
                                  UINT uFlags) noexcept override;
    STDMETHODIMP InvokeCommand(CMINVOKECOMMANDINFO* pici) override;
    STDMETHODIMP GetCommandString(UINT_PTR idCmd, UINT uType, UINT* pReserved, CHAR* pszName,
                                  UINT cchMax) noexcept override;

    // The state that Initialize records; touched only on the handler's thread.
    SelectionList selection;
    std::uint64_t fileCount = 0;   // selected items that are not folders
    std::uint64_t folderCount = 0; // selected folders
    OutputOptions options;
};

} // namespace lumbrix
