#pragma once
// The class factory of T: one static object per module, never destroyed by Release.

#include "shellext/com_object.h"

#include <unknwn.h>

namespace lumbrix {

template <typename T>
class ComClassObject final : public StaticComObject<IClassFactory> {
public:
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) noexcept override
    {
        if (!ppv) return E_POINTER;
        if (outer) return CLASS_E_NOAGGREGATION;
        *ppv = nullptr;
        const ComPtr<T> object = MakeComObject<T>();
        if (!object) return E_OUTOFMEMORY;
        return object->QueryInterface(riid, ppv);
    }
    STDMETHODIMP LockServer(BOOL lock) noexcept override
    {
        if (lock)
            ++objectCount;
        else
            --objectCount;
        return S_OK;
    }
};

} // namespace lumbrix
