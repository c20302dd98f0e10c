#include "support/shell_selection.h"

#include "common/com_ptr.h"

#include <shlobj.h>

namespace shell_player {
namespace {

struct PidlList {
    std::vector<PIDLIST_ABSOLUTE> items;
    ~PidlList()
    {
        for (PIDLIST_ABSOLUTE item : items) ::CoTaskMemFree(item);
    }
};

HRESULT ParsePaths(const std::vector<std::wstring>& paths, PidlList& absolute)
{
    if (paths.empty()) return E_INVALIDARG;
    lumbrix::ComPtr<IShellFolder> desktop;
    HRESULT hr = ::SHGetDesktopFolder(desktop.put());
    if (FAILED(hr)) return hr;
    for (const std::wstring& path : paths) {
        PIDLIST_ABSOLUTE pidl = nullptr;
        std::wstring name = path;
        hr = desktop->ParseDisplayName(nullptr, nullptr, name.data(), nullptr,
                                       reinterpret_cast<PIDLIST_RELATIVE*>(&pidl), nullptr);
        if (FAILED(hr)) return hr;
        absolute.items.push_back(pidl);
    }
    return S_OK;
}

} // namespace

HRESULT SelectionDataObject(const std::vector<std::wstring>& paths, IDataObject** dataObject)
{
    *dataObject = nullptr;
    PidlList absolute;
    HRESULT hr = ParsePaths(paths, absolute);
    if (FAILED(hr)) return hr;

    lumbrix::ComPtr<IShellFolder> parent;
    std::vector<PCUITEMID_CHILD> children;
    for (PIDLIST_ABSOLUTE pidl : absolute.items) {
        lumbrix::ComPtr<IShellFolder> itemParent;
        PCUITEMID_CHILD child = nullptr;
        hr = ::SHBindToParent(pidl, IID_IShellFolder, itemParent.put_void(), &child);
        if (FAILED(hr)) return hr;
        if (!parent) parent = std::move(itemParent);
        children.push_back(child);
    }
    return parent->GetUIObjectOf(nullptr, static_cast<UINT>(children.size()), children.data(), IID_IDataObject,
                                 nullptr, reinterpret_cast<void**>(dataObject));
}

// From the view's data object, as Explorer makes it: every item's ID is the
// folder's ID (the same bytes) and the item's own.
HRESULT SelectionItemArray(const std::vector<std::wstring>& paths, IShellItemArray** items)
{
    *items = nullptr;
    lumbrix::ComPtr<IDataObject> selection;
    const HRESULT hr = SelectionDataObject(paths, selection.put());
    if (FAILED(hr)) return hr;
    return ::SHCreateShellItemArrayFromDataObject(selection.get(), IID_IShellItemArray, reinterpret_cast<void**>(items));
}

} // namespace shell_player
