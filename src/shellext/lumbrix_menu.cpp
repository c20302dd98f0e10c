// Placeholder until the handler is written.
#include "shellext/lumbrix_menu.h"

namespace lumbrix {

STDMETHODIMP LumbrixMenu::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IShellExtInit))
        *ppv = static_cast<IShellExtInit*>(this);
    else if (IsEqualIID(riid, IID_IContextMenu))
        *ppv = static_cast<IContextMenu*>(this);
    else
        return E_NOINTERFACE;
    static_cast<IUnknown*>(*ppv)->AddRef();
    return S_OK;
}

STDMETHODIMP LumbrixMenu::Initialize(PCIDLIST_ABSOLUTE, IDataObject*, HKEY) { return E_NOTIMPL; }
STDMETHODIMP LumbrixMenu::QueryContextMenu(HMENU, UINT, UINT, UINT, UINT) { return E_NOTIMPL; }
STDMETHODIMP LumbrixMenu::InvokeCommand(CMINVOKECOMMANDINFO*) { return E_NOTIMPL; }
STDMETHODIMP LumbrixMenu::GetCommandString(UINT_PTR, UINT, UINT*, CHAR*, UINT) { return E_NOTIMPL; }

} // namespace lumbrix
