#pragma once
// Reference counting shared by the module's COM objects. Each reference also
// counts once in objectCount, which DllCanUnloadNow reports.

#include "shellext/module_state.h"

#include <unknwn.h>

namespace lumbrix {

class ComBaseObject : public IUnknown {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown)) return E_NOINTERFACE;
        *ppv = static_cast<IUnknown*>(this);
        AddRef();
        return S_OK;
    }
    // The handler lives in an apartment: its own count needs no interlock;
    // objectCount may be read from any thread.
    STDMETHODIMP_(ULONG) AddRef() override
    {
        ++objectCount;
        return ++referenceCount_;
    }
    STDMETHODIMP_(ULONG) Release() override
    {
        const LONG remaining = --referenceCount_;
        if (remaining == 0) delete this;
        --objectCount;
        return static_cast<ULONG>(remaining);
    }
    virtual ~ComBaseObject() = default;

protected:
    ComBaseObject() noexcept = default;

private:
    LONG referenceCount_ = 0;
};

} // namespace lumbrix
