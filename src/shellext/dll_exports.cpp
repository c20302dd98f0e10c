// The exported COM entry points DllGetClassObject and DllCanUnloadNow.

#include "common/com_boundary.h"
#include "common/module_identity.h"
#include "shellext/class_factory.h"
#include "shellext/explorer_command.h"
#include "shellext/lumbrix_menu.h"
#include "shellext/module_state.h"

using lumbrix::ComClassObject;
using lumbrix::ExplorerCommand;
using lumbrix::LumbrixMenu;

namespace {

template <typename T>
HRESULT HandOutFactory(REFIID riid, LPVOID* ppv) noexcept
{
    static ComClassObject<T> factory;
    factory.AddRef();
    const HRESULT hr = factory.QueryInterface(riid, ppv);
    factory.Release();
    return hr;
}

} // namespace

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv)
try {
    if (!ppv) return E_INVALIDARG;
    *ppv = nullptr;
    if (IsEqualCLSID(rclsid, lumbrix::CLSID_LumbrixMenu)) return HandOutFactory<LumbrixMenu>(riid, ppv);
    if (IsEqualCLSID(rclsid, lumbrix::CLSID_LumbrixExplorerCommand)) return HandOutFactory<ExplorerCommand>(riid, ppv);
    return CLASS_E_CLASSNOTAVAILABLE;
}
LUMBRIX_COM_CATCH_RETURN()

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow()
try {
    return lumbrix::objectCount.load() == 0 ? S_OK : S_FALSE;
}
LUMBRIX_COM_CATCH_RETURN()
