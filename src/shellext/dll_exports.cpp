// The exported COM entry points DllGetClassObject and DllCanUnloadNow.

#include "common/com_boundary.h"
#include "common/module_identity.h"
#include "shellext/class_factory.h"
#include "shellext/lumbrix_menu.h"
#include "shellext/module_state.h"

using lumbrix::ComClassObject;
using lumbrix::LumbrixMenu;

namespace {

ComClassObject<LumbrixMenu>& ClassFactory() noexcept
{
    static ComClassObject<LumbrixMenu> factory;
    return factory;
}

} // namespace

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv)
try {
    ComClassObject<LumbrixMenu>& factory = ClassFactory();
    if (!ppv) return E_INVALIDARG;
    *ppv = nullptr;
    if (!IsEqualCLSID(rclsid, lumbrix::CLSID_LumbrixMenu)) return CLASS_E_CLASSNOTAVAILABLE;
    factory.AddRef();
    const HRESULT hr = factory.QueryInterface(riid, ppv);
    factory.Release();
    return hr;
}
LUMBRIX_COM_CATCH_RETURN()

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow()
try {
    return lumbrix::objectCount.load() == 0 ? S_OK : S_FALSE;
}
LUMBRIX_COM_CATCH_RETURN()
