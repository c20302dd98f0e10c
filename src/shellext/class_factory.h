#pragma once
// The class factory: one static object per module, never destroyed by Release.

#include "common/com_boundary.h"
#include "shellext/module_state.h"

#include <unknwn.h>

#include <new>

namespace lumbrix {

template <typename T>
class ComClassObject : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (!IsEqualIID(riid, IID_IClassFactory) && !IsEqualIID(riid, IID_IUnknown))
            return E_NOINTERFACE;
        *ppv = static_cast<IClassFactory*>(this);
        static_cast<IClassFactory*>(this)->AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override
    {
        ++objectCount;
        return 1;
    }
    STDMETHODIMP_(ULONG) Release() override
    {
        --objectCount;
        return 1;
    }
    // T's constructor may throw (a set that allocates when it is constructed).
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override
    try {
        if (!ppv) return E_POINTER;
        if (outer) return CLASS_E_NOAGGREGATION;
        *ppv = nullptr;
        T* object = new (std::nothrow) T;
        if (!object) return E_OUTOFMEMORY;
        object->AddRef();
        const HRESULT hr = object->QueryInterface(riid, ppv);
        object->Release();
        return hr;
    }
    LUMBRIX_COM_CATCH_RETURN()
    STDMETHODIMP LockServer(BOOL lock) override
    {
        if (lock)
            ++objectCount;
        else
            --objectCount;
        return S_OK;
    }
    virtual ~ComClassObject() = default;
};

} // namespace lumbrix
