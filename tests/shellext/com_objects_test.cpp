// The module's COM objects, through the real DLL's exports: the factory, the
// handler's interfaces and the count that DllCanUnloadNow reports.

#include "common/module_identity.h"
#include "support/test_paths.h"

#include <gtest/gtest.h>
#include <shlobj.h>
#include <shobjidl.h>

namespace {

using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
using CanUnloadFn = HRESULT(STDAPICALLTYPE*)();

class ComObjects : public ::testing::Test {
protected:
    void SetUp() override
    {
        module_ = ::LoadLibraryW(lumbrix::test::DllPath().c_str());
        ASSERT_NE(module_, nullptr) << "cannot load the DLL";
        getClassObject_ = reinterpret_cast<GetClassObjectFn>(::GetProcAddress(module_, "DllGetClassObject"));
        canUnload_ = reinterpret_cast<CanUnloadFn>(::GetProcAddress(module_, "DllCanUnloadNow"));
        ASSERT_NE(getClassObject_, nullptr);
        ASSERT_NE(canUnload_, nullptr);
        ASSERT_EQ(canUnload_(), S_OK) << "a test left a reference behind";
    }
    void TearDown() override
    {
        if (canUnload_) EXPECT_EQ(canUnload_(), S_OK) << "references leaked";
        if (module_) ::FreeLibrary(module_);
    }

    IClassFactory* Factory()
    {
        IClassFactory* factory = nullptr;
        EXPECT_EQ(getClassObject_(lumbrix::CLSID_LumbrixMenu, IID_IClassFactory,
                                  reinterpret_cast<void**>(&factory)), S_OK);
        return factory;
    }

    HMODULE module_ = nullptr;
    GetClassObjectFn getClassObject_ = nullptr;
    CanUnloadFn canUnload_ = nullptr;
};

TEST_F(ComObjects, FactoryReferenceKeepsModuleLoadedUntilReleased)
{
    IClassFactory* factory = Factory();
    ASSERT_NE(factory, nullptr);
    EXPECT_EQ(canUnload_(), S_FALSE);
    EXPECT_EQ(factory->AddRef(), 1u);
    EXPECT_EQ(factory->AddRef(), 1u);
    EXPECT_EQ(factory->Release(), 1u);
    EXPECT_EQ(factory->Release(), 1u);
    EXPECT_EQ(canUnload_(), S_FALSE);
    EXPECT_EQ(factory->Release(), 1u);
    EXPECT_EQ(canUnload_(), S_OK);
}

TEST_F(ComObjects, GetClassObjectRejectsBadArguments)
{
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(getClassObject_(lumbrix::CLSID_LumbrixMenu, IID_IClassFactory, nullptr), E_INVALIDARG);
    EXPECT_EQ(getClassObject_(IID_IUnknown, IID_IClassFactory, &object), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(object, nullptr);
    object = reinterpret_cast<void*>(1);
    EXPECT_EQ(getClassObject_(lumbrix::CLSID_LumbrixMenu, IID_IContextMenu, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(canUnload_(), S_OK);
    IUnknown* unknown = nullptr;
    EXPECT_EQ(getClassObject_(lumbrix::CLSID_LumbrixMenu, IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
    ASSERT_NE(unknown, nullptr);
    unknown->Release();
}

TEST_F(ComObjects, LockServerCountsLikeReferences)
{
    IClassFactory* factory = Factory();
    ASSERT_NE(factory, nullptr);
    factory->Release();
    ASSERT_EQ(canUnload_(), S_OK);
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    EXPECT_EQ(canUnload_(), S_FALSE);
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    EXPECT_EQ(canUnload_(), S_OK);
}

TEST_F(ComObjects, CreateInstanceFailuresLeaveNothingBehind)
{
    IClassFactory* factory = Factory();
    ASSERT_NE(factory, nullptr);
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IClassFactory, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IContextMenu, nullptr), E_POINTER);
    object = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(reinterpret_cast<IUnknown*>(factory), IID_IUnknown, &object),
              CLASS_E_NOAGGREGATION);
    EXPECT_EQ(object, reinterpret_cast<void*>(1)) << "ppv must not be touched on aggregation";
    factory->Release();
}

TEST_F(ComObjects, HandlerIdentityIsTheSameThroughEveryInterface)
{
    IClassFactory* factory = Factory();
    ASSERT_NE(factory, nullptr);
    IContextMenu* menu = nullptr;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IContextMenu, reinterpret_cast<void**>(&menu)), S_OK);
    factory->Release();
    EXPECT_EQ(canUnload_(), S_FALSE) << "the handler's reference counts";

    IShellExtInit* init = nullptr;
    ASSERT_EQ(menu->QueryInterface(IID_IShellExtInit, reinterpret_cast<void**>(&init)), S_OK);
    IUnknown* fromMenu = nullptr;
    IUnknown* fromInit = nullptr;
    ASSERT_EQ(menu->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&fromMenu)), S_OK);
    ASSERT_EQ(init->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&fromInit)), S_OK);
    EXPECT_EQ(fromMenu, fromInit);
    EXPECT_EQ(fromMenu, static_cast<IUnknown*>(init)) << "identity is the IShellExtInit pointer";
    IContextMenu* menuAgain = nullptr;
    ASSERT_EQ(fromInit->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&menuAgain)), S_OK);
    EXPECT_EQ(menuAgain, menu);
    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(menu->QueryInterface(IID_IClassFactory, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(menu->QueryInterface(IID_IUnknown, nullptr), E_POINTER);

    for (IUnknown* reference : {static_cast<IUnknown*>(init), fromMenu, fromInit,
                                static_cast<IUnknown*>(menuAgain)})
        reference->Release();
    EXPECT_EQ(canUnload_(), S_FALSE);
    EXPECT_EQ(menu->Release(), 0u);
    EXPECT_EQ(canUnload_(), S_OK);
}

} // namespace
