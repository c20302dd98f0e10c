#pragma once
// Owner of one COM interface reference.

#include <unknwn.h>

#include <utility>

namespace lumbrix {

template <typename T>
class ComPtr {
public:
    ComPtr() noexcept = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept
    {
        if (this != &other) attach(std::exchange(other.ptr_, nullptr));
        return *this;
    }
    ~ComPtr() { reset(); }

    // Takes over a reference that the caller already owns.
    void attach(T* ptr) noexcept
    {
        T* old = std::exchange(ptr_, ptr);
        if (old) old->Release();
    }
    void reset() noexcept { attach(nullptr); }
    [[nodiscard]] T* detach() noexcept { return std::exchange(ptr_, nullptr); }

    T* get() const noexcept { return ptr_; }
    T* operator->() const noexcept { return ptr_; }
    explicit operator bool() const noexcept { return ptr_ != nullptr; }

    // Out-parameter for calls that return a new reference.
    T** put() noexcept
    {
        reset();
        return &ptr_;
    }
    void** put_void() noexcept { return reinterpret_cast<void**>(put()); }

private:
    T* ptr_ = nullptr;
};

} // namespace lumbrix
