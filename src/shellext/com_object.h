#pragma once
// The IUnknown of every COM object of the module: one interlocked reference
// count, one QueryInterface over the interfaces the object implements (the
// first of them is its identity, the one IID_IUnknown gives), and objectCount,
// which DllCanUnloadNow reports, kept in step with every reference.

#include "common/com_ptr.h"
#include "shellext/module_state.h"

#include <unknwn.h>

#include <atomic>
#include <new>
#include <tuple>
#include <utility>

namespace lumbrix {

// How an object ends. A heap object deletes itself with its last reference;
// a static one (a class factory) lives as long as the module, and its
// references only keep the module loaded (its AddRef and Release return 1).
enum class ComLifetime { Heap, Static };

template <ComLifetime Lifetime, typename... Interfaces>
class ComObjectBase : public Interfaces... {
    static_assert(sizeof...(Interfaces) > 0, "a COM object implements at least one interface");
    using Identity = std::tuple_element_t<0, std::tuple<Interfaces...>>;

public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) noexcept override
    {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (IsEqualIID(riid, IID_IUnknown))
            *ppv = static_cast<Identity*>(this);
        else
            (void)(Offer<Interfaces>(riid, ppv) || ...);
        if (!*ppv) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() noexcept override
    {
        ++objectCount;
        if constexpr (Lifetime == ComLifetime::Static) return 1;
        else return references_.fetch_add(1) + 1;
    }
    STDMETHODIMP_(ULONG) Release() noexcept override
    {
        if constexpr (Lifetime == ComLifetime::Static) {
            --objectCount;
            return 1;
        } else {
            const ULONG remaining = references_.fetch_sub(1) - 1;
            if (remaining == 0) delete this;
            // Counted down last: the module is not reported unused while the
            // object is still being destroyed.
            --objectCount;
            return remaining;
        }
    }

protected:
    ComObjectBase() noexcept = default;
    virtual ~ComObjectBase() = default;

private:
    template <typename Interface>
    bool Offer(REFIID riid, void** ppv) noexcept
    {
        if (!IsEqualIID(riid, __uuidof(Interface))) return false;
        *ppv = static_cast<Interface*>(this);
        return true;
    }

    std::atomic<ULONG> references_{0};
};

template <typename... Interfaces>
using ComObject = ComObjectBase<ComLifetime::Heap, Interfaces...>;

template <typename... Interfaces>
using StaticComObject = ComObjectBase<ComLifetime::Static, Interfaces...>;

// A new heap object with its first reference; empty when there is no memory
// for it, also when its constructor throws (a standard set may allocate).
template <typename T, typename... Arguments>
ComPtr<T> MakeComObject(Arguments&&... arguments) noexcept
{
    ComPtr<T> object;
    try {
        T* created = new (std::nothrow) T(std::forward<Arguments>(arguments)...);
        if (!created) return object;
        created->AddRef();
        object.attach(created);
    } catch (...) {
    }
    return object;
}

} // namespace lumbrix
