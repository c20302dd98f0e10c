// The exported COM entry points DllGetClassObject and DllCanUnloadNow. Neither
// can throw: the factories are static objects that allocate nothing.

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
    return factory.QueryInterface(riid, ppv);
}

} // namespace

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv)
{
    if (!ppv) return E_INVALIDARG;
    *ppv = nullptr;
    if (IsEqualCLSID(rclsid, lumbrix::CLSID_LumbrixMenu)) return HandOutFactory<LumbrixMenu>(riid, ppv);
    if (IsEqualCLSID(rclsid, lumbrix::CLSID_LumbrixExplorerCommand)) return HandOutFactory<ExplorerCommand>(riid, ppv);
    return CLASS_E_CLASSNOTAVAILABLE;
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow()
{
    return lumbrix::objectCount.load() == 0 ? S_OK : S_FALSE;
}
