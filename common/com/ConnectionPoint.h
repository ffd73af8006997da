#pragma once
// A connection point that lives inside its container: it shares the container's
// reference count (so the container and its points keep each other alive without
// a cycle), keeps the advised sinks as IDispatch and calls them with Invoke.

#include "common/com/Bstr.h"
#include "common/com/ComPtr.h"

#include <ocidl.h>
#include <olectl.h>

#include <vector>

namespace bastide::com {

class ConnectionPoint : public IConnectionPoint {
public:
    // container is the object whose reference count this point shares.
    ConnectionPoint(IConnectionPointContainer* container, const IID& iid) : container_(container), iid_(iid) {}
    ConnectionPoint(const ConnectionPoint&) = delete;
    ConnectionPoint& operator=(const ConnectionPoint&) = delete;

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override { return container_->AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return container_->Release(); }

    STDMETHODIMP GetConnectionInterface(IID* iid) override;
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** out) override;
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumConnections(IEnumConnections** out) override;

    const IID& Iid() const { return iid_; }
    bool HasSinks() const;
    // The sinks as they are now; a sink may unadvise while it is being called.
    std::vector<ComPtr<IUnknown>> Sinks() const;
    // Calls every sink's IDispatch::Invoke with args in natural order (first
    // argument first). Failures of one sink do not stop the others.
    void Fire(DISPID id, std::vector<Variant>& args) const;
    // Drops every sink (when the container shuts down).
    void Clear() { sinks_.clear(); }

private:
    struct Sink {
        DWORD cookie;
        ComPtr<IUnknown> unknown;
    };
    IConnectionPointContainer* container_;
    IID iid_;
    std::vector<Sink> sinks_;
    DWORD nextCookie_ = 1;
};

// Answers IConnectionPointContainer::EnumConnectionPoints over a fixed set of points.
HRESULT MakeConnectionPointEnum(const std::vector<IConnectionPoint*>& points, IEnumConnectionPoints** out);

} // namespace bastide::com
