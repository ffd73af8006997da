#pragma once
// Owning COM interface pointer: AddRef on copy, Release on destruction.

#include <windows.h>
#include <ole2.h>

#include <utility>

namespace bastide::com {

template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Takes a new reference on p.
    explicit ComPtr(T* p) : p_(p) { if (p_) p_->AddRef(); }
    ComPtr(const ComPtr& o) : p_(o.p_) { if (p_) p_->AddRef(); }
    ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ~ComPtr() { Reset(); }

    ComPtr& operator=(const ComPtr& o) { ComPtr(o).Swap(*this); return *this; }
    ComPtr& operator=(ComPtr&& o) noexcept { ComPtr(std::move(o)).Swap(*this); return *this; }
    ComPtr& operator=(std::nullptr_t) { Reset(); return *this; }

    // Adopts a reference the caller already owns (a fresh object, an out parameter).
    static ComPtr Adopt(T* p) { ComPtr r; r.p_ = p; return r; }

    T* Get() const { return p_; }
    T* operator->() const { return p_; }
    T& operator*() const { return *p_; }
    explicit operator bool() const { return p_ != nullptr; }

    // Releases what is held and returns the slot for an out parameter.
    T** Put() { Reset(); return &p_; }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }

    // Hands the reference to the caller (for an [out] parameter).
    T* Detach() { return std::exchange(p_, nullptr); }
    void Reset() { if (T* p = std::exchange(p_, nullptr)) p->Release(); }
    void Swap(ComPtr& o) noexcept { std::swap(p_, o.p_); }

    // Copies the pointer with a new reference into an [out] parameter.
    template <class U>
    void CopyTo(U** out) const { *out = p_; if (p_) p_->AddRef(); }

    template <class U>
    HRESULT As(const IID& iid, ComPtr<U>& out) const {
        if (!p_) return E_POINTER;
        return p_->QueryInterface(iid, out.PutVoid());
    }

    friend bool operator==(const ComPtr& a, const ComPtr& b) { return a.p_ == b.p_; }

private:
    T* p_ = nullptr;
};

} // namespace bastide::com
