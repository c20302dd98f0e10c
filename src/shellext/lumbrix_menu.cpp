#include "shellext/lumbrix_menu.h"

#include "common/com_boundary.h"
#include "common/com_ptr.h"
#include "common/folder_check.h"
#include "common/message_box.h"
#include "common/unique_any.h"
#include "job/copy_request.h"
#include "job/path_strings.h"
#include "shellext/command_menu.h"
#include "shellext/command_table.h"
#include "shellext/copy_start.h"
#include "shellext/drop_list.h"
#include "shellext/menu_bitmap.h"
#include "shellext/options_popup.h"
#include "shellext/package_presence.h"
#include "shellext/shell_item_kinds.h"

#include <shellapi.h>
#include <shlobj.h>

#include <climits>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace lumbrix {
namespace {

// OEM code page text, all or nothing: too small a buffer gives "".
void CopyOemText(const wchar_t* text, char* out, UINT capacity) noexcept
{
    // A limit of 0 bytes would make the conversion report the needed size
    // instead of converting; that size must never be used as an index.
    int written = 0;
    if (capacity > 1) {
        const int limit = capacity - 1 > INT_MAX ? INT_MAX : static_cast<int>(capacity - 1);
        written = ::WideCharToMultiByte(CP_OEMCP, 0, text, -1, out, limit, nullptr, nullptr);
    }
    out[written] = '\0';
}

// UTF-16 text cut to capacity units, always terminated.
void CopyWideText(const wchar_t* text, wchar_t* out, UINT capacity) noexcept
{
    UINT length = 0;
    while (length + 1 < capacity && text[length] != L'\0') {
        out[length] = text[length];
        ++length;
    }
    out[length] = L'\0';
}

// An offset is a value with nothing above its low 16 bits; anything else is
// the address of a verb (on 64 bits an address may have bits 16 to 31 clear).
int CommandOfVerb(LPCSTR verb) noexcept
{
    if (IS_INTRESOURCE(verb)) return LOWORD(reinterpret_cast<ULONG_PTR>(verb));
    wchar_t wide[256] = {};
    if (::MultiByteToWideChar(CP_OEMCP, 0, verb, -1, wide, 255) == 0) return -1;
    return FindCommandByVerb(wide);
}

// A caller that passes the verb in UTF-16 as well: a program on a system whose
// OEM code page has no Japanese could not name the Japanese verbs in 8 bits
// (the English help texts pass either way).
int CommandOfInvocation(const CMINVOKECOMMANDINFO& info) noexcept
{
    if (info.cbSize >= sizeof(CMINVOKECOMMANDINFOEX) && (info.fMask & CMIC_MASK_UNICODE)) {
        const auto& extended = reinterpret_cast<const CMINVOKECOMMANDINFOEX&>(info);
        if (extended.lpVerbW && !IS_INTRESOURCE(extended.lpVerbW)) return FindCommandByVerb(extended.lpVerbW);
    }
    return CommandOfVerb(info.lpVerb);
}

} // namespace

STDMETHODIMP LumbrixMenu::Initialize(PCIDLIST_ABSOLUTE, IDataObject* pdtobj, HKEY)
try {
    if (!pdtobj) return E_FAIL;
    FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM received{};
    if (FAILED(pdtobj->GetData(&format, &received))) return E_FAIL;
    const StorageMedium medium(received);
    std::vector<std::wstring> names;
    if (medium.get().tymed != TYMED_HGLOBAL || !ReadDropList(medium.get().hGlobal, names)) return E_FAIL;

    selection.Clear();
    fileCount = 0;
    folderCount = 0;
    LoadOutputOptions(options);

    const std::vector<bool> shellFolders = ShellFolderFlags(pdtobj, static_cast<unsigned>(names.size()));
    for (std::size_t index = 0; index < names.size(); ++index) {
        // "\0\0", the empty list, reads as one empty name; it names nothing.
        if (names[index].empty()) continue;
        // A name list alone: the file system says.
        const bool folder = shellFolders.empty() ? IsFolderOnDisk(names[index]) : shellFolders[index];
        // Out of memory ends the intake at the boundary; the names added so far stay.
        selection.Insert(std::move(names[index]));
        // A duplicate is counted all the same.
        if (folder)
            ++folderCount;
        else
            ++fileCount;
    }
    return S_OK;
}
LUMBRIX_CATCH_AS_E_OUTOFMEMORY()

STDMETHODIMP LumbrixMenu::QueryContextMenu(HMENU hmenu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast,
                                           UINT uFlags) noexcept
{
    // A double-click asks only for the default verb, which this menu does not
    // offer. And ids past idCmdLast could belong to another handler, so a range
    // too short for all of them gets no entry at all.
    const UINT64 idsOffered = idCmdLast >= idCmdFirst ? UINT64{idCmdLast} - idCmdFirst + 1 : 0;
    if ((uFlags & CMF_DEFAULTONLY) || idsOffered < static_cast<UINT64>(kCommandCount))
        return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
    // Where the Windows 11 package's command is sure to be in this menu
    // already; wherever in doubt, a second entry rather than none.
    if (PackagedCommandTakesThePlace()) return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
    const bool isDriveRoot = IsDriveRoot(selection.First());
    UniqueMenu submenu = BuildCommandMenu(idCmdFirst + 1, isDriveRoot, fileCount, folderCount, options);

    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_STRING | MIIM_FTYPE;
    item.fType = MFT_STRING;
    item.wID = idCmdFirst;
    item.hSubMenu = submenu.get();
    item.dwTypeData = const_cast<wchar_t*>(CommandAt(0).label);
    item.fMask |= MIIM_CHECKMARKS;
    item.hbmpUnchecked = MenuBitmap();
    if (::InsertMenuItemW(hmenu, indexMenu, TRUE, &item)) {
        static_cast<void>(submenu.release()); // the shell's menu owns it now
    } else {
        ReportSystemError(::GetLastError());
    }
    return MAKE_HRESULT(SEVERITY_SUCCESS, 0, kCommandCount);
}

STDMETHODIMP LumbrixMenu::GetCommandString(UINT_PTR idCmd, UINT uType, UINT*, CHAR* pszName, UINT cchMax) noexcept
{
    if (idCmd >= static_cast<UINT_PTR>(kCommandCount)) return E_INVALIDARG;
    const MenuCommand command = CommandAt(static_cast<int>(idCmd));
    // The help text follows the display language; the verb does not.
    const wchar_t* text = uType == GCS_HELPTEXTA || uType == GCS_HELPTEXTW ? command.helpText : command.verb;
    switch (uType) {
    case GCS_VERBA:
    case GCS_HELPTEXTA:
    case GCS_VALIDATEA:
        if (pszName && cchMax > 0) CopyOemText(text, pszName, cchMax);
        return S_OK;
    case GCS_VERBW:
    case GCS_HELPTEXTW:
    case GCS_VALIDATEW:
        if (pszName && cchMax > 0) CopyWideText(text, reinterpret_cast<wchar_t*>(pszName), cchMax);
        return S_OK;
    default:
        return E_INVALIDARG;
    }
}

STDMETHODIMP LumbrixMenu::InvokeCommand(CMINVOKECOMMANDINFO* pici)
try {
    if (!pici) return E_INVALIDARG;
    const int command = CommandOfInvocation(*pici);
    if (command < 0) return E_FAIL;
    if (command >= kCommandCount) return E_INVALIDARG;
    if (command == 0) return S_OK;

    if (IsOptionCommand(command)) ToggleOutputOption(options, OptionOfCommand(command));

    CopyRequest request;
    request.mode = command;
    request.fileCount = fileCount;
    request.folderCount = folderCount;
    request.options = options;
    request.selection = selection;
    const HWND owner = pici->hwnd && ::IsWindow(pici->hwnd) ? pici->hwnd : ::GetForegroundWindow();

    if (IsOptionCommand(command)) {
        request.mode = RunOptionsPopup(owner, request);
        if (request.mode == 0) return S_OK; // dismissed: nothing to copy
    }
    const HRESULT hr = StartCopy(request, owner);
    if (SUCCEEDED(hr)) selection.Clear();
    return hr;
}
LUMBRIX_CATCH_AS_E_OUTOFMEMORY()

} // namespace lumbrix
