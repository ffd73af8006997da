#pragma once
// Reference-counted COM object base with a query-interface table.
//
//   class Thing : public ComObject<Thing, IFoo, ISupportErrorInfo> {
//   public:
//       static const QiEntry* Interfaces() {
//           static const QiEntry table[] = {
//               QiEntry::Of<Thing, IFoo>(IID_IFoo),
//               QiEntry::Of<Thing, IFoo>(IID_IDispatch),   // several IIDs may lead to one base
//               QiEntry::Of<Thing, ISupportErrorInfo>(IID_ISupportErrorInfo),
//               {}};
//           return table;
//       }
//   };
//
// IUnknown answers with the first entry. Objects are made with MakeObject(), which
// returns the first reference. Every live object counts in ObjectCount(), which an
// in-process server's DllCanUnloadNow reads.

#include "common/com/ComPtr.h"

#include <atomic>
#include <new>
#include <utility>

namespace bastide::com {

// Live objects and server locks of this module.
long ObjectCount();
void AddObjectCount();
void ReleaseObjectCount();

struct QiEntry {
    const IID* iid = nullptr;
    void* (*cast)(void* self) = nullptr;

    template <class Derived, class Interface>
    static QiEntry Of(const IID& id) {
        return {&id, [](void* self) -> void* {
                    return static_cast<Interface*>(static_cast<Derived*>(self));
                }};
    }
};

template <class Derived, class... Bases>
class ComObject : public Bases... {
public:
    ComObject() { AddObjectCount(); }
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        const QiEntry* table = Derived::Interfaces();
        void* found = nullptr;
        if (iid == IID_IUnknown) {
            found = table[0].cast(static_cast<Derived*>(this));
        } else {
            for (const QiEntry* e = table; e->iid; ++e) {
                if (*e->iid == iid) { found = e->cast(static_cast<Derived*>(this)); break; }
            }
        }
        if (!found) return E_NOINTERFACE;
        static_cast<IUnknown*>(found)->AddRef();
        *out = found;
        return S_OK;
    }

    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }

    STDMETHODIMP_(ULONG) Release() override {
        ULONG left = --refs_;
        if (left == 0) delete static_cast<Derived*>(this);
        return left;
    }

    // This object as its first interface, with a new reference.
    IUnknown* UnknownRef() {
        IUnknown* u = static_cast<IUnknown*>(Derived::Interfaces()[0].cast(static_cast<Derived*>(this)));
        u->AddRef();
        return u;
    }

protected:
    virtual ~ComObject() { ReleaseObjectCount(); }

private:
    std::atomic<ULONG> refs_{1};
};

// Makes an object; the caller receives its first reference.
template <class T, class... Args>
ComPtr<T> MakeObject(Args&&... args) {
    return ComPtr<T>::Adopt(new T(std::forward<Args>(args)...));
}

} // namespace bastide::com
