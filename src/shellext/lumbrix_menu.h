#pragma once
// The context-menu handler that the shell creates for files and folders.

#include "settings/output_options.h"
#include "shellext/com_base_object.h"
#include "job/selection_list.h"

#include <shlobj.h>
#include <shobjidl.h>

#include <cstdint>

namespace lumbrix {

class LumbrixMenu : public ComBaseObject, public IShellExtInit, public IContextMenu {
public:
    // Not noexcept: a standard set may allocate when it is constructed, and the
    // class factory turns that failure into E_OUTOFMEMORY.
    LumbrixMenu() = default;

    // IUnknown, reached through every table
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override { return ComBaseObject::AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return ComBaseObject::Release(); }

    // IShellExtInit
    STDMETHODIMP Initialize(PCIDLIST_ABSOLUTE pidlFolder, IDataObject* pdtobj, HKEY hkeyProgID) override;

    // IContextMenu
    STDMETHODIMP QueryContextMenu(HMENU hmenu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast,
                                  UINT uFlags) override;
    STDMETHODIMP InvokeCommand(CMINVOKECOMMANDINFO* pici) override;
    STDMETHODIMP GetCommandString(UINT_PTR idCmd, UINT uType, UINT* pReserved, CHAR* pszName,
                                  UINT cchMax) override;

    // The state that Initialize records; touched only on the handler's thread.
    SelectionList selection;
    std::uint64_t fileCount = 0;   // selected items that are not folders
    std::uint64_t folderCount = 0; // selected folders
    OutputOptions options;
};

} // namespace lumbrix
