#include "common/com/ConnectionPoint.h"

#include "common/com/ComError.h"
#include "common/com/ComObject.h"

#include <algorithm>

namespace bastide::com {

HRESULT ConnectionPoint::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IConnectionPoint) return E_NOINTERFACE;
    *out = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
}

HRESULT ConnectionPoint::GetConnectionInterface(IID* iid) {
    if (!iid) return E_POINTER;
    *iid = iid_;
    return S_OK;
}

HRESULT ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** out) {
    if (!out) return E_POINTER;
    *out = container_;
    container_->AddRef();
    return S_OK;
}

HRESULT ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
    if (!cookie) return E_POINTER;
    *cookie = 0;
    if (!sink) return E_POINTER;
    return Guard([&]() -> HRESULT {
        // The sink must speak the outgoing interface (or plain IDispatch for events).
        ComPtr<IUnknown> checked;
        if (FAILED(sink->QueryInterface(iid_, checked.PutVoid())) &&
            FAILED(sink->QueryInterface(IID_IDispatch, checked.PutVoid())))
            return CONNECT_E_CANNOTCONNECT;
        sinks_.push_back({nextCookie_, checked});
        *cookie = nextCookie_++;
        return S_OK;
    });
}

HRESULT ConnectionPoint::Unadvise(DWORD cookie) {
    auto it = std::find_if(sinks_.begin(), sinks_.end(), [&](const Sink& s) { return s.cookie == cookie; });
    if (it == sinks_.end()) return CONNECT_E_NOCONNECTION;
    sinks_.erase(it);
    return S_OK;
}

HRESULT ConnectionPoint::EnumConnections(IEnumConnections** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return E_NOTIMPL;
}

bool ConnectionPoint::HasSinks() const { return !sinks_.empty(); }

std::vector<ComPtr<IUnknown>> ConnectionPoint::Sinks() const {
    std::vector<ComPtr<IUnknown>> r;
    for (const Sink& s : sinks_) r.push_back(s.unknown);
    return r;
}

void ConnectionPoint::Fire(DISPID id, std::vector<Variant>& args) const {
    std::vector<VARIANT> reversed;
    for (auto it = args.rbegin(); it != args.rend(); ++it) reversed.push_back(it->Get());
    DISPPARAMS params = {reversed.empty() ? nullptr : reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    for (const ComPtr<IUnknown>& sink : Sinks()) {
        ComPtr<IDispatch> disp;
        if (FAILED(sink->QueryInterface(IID_IDispatch, disp.PutVoid()))) continue;
        disp->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    }
}

namespace {

class ConnectionPointEnum : public ComObject<ConnectionPointEnum, IEnumConnectionPoints> {
public:
    ConnectionPointEnum(std::vector<ComPtr<IConnectionPoint>> points, size_t position)
        : points_(std::move(points)), position_(position) {}

    static const QiEntry* Interfaces() {
        static const QiEntry table[] = {
            QiEntry::Of<ConnectionPointEnum, IEnumConnectionPoints>(IID_IEnumConnectionPoints), {}};
        return table;
    }

    STDMETHODIMP Next(ULONG count, IConnectionPoint** out, ULONG* fetched) override {
        if (!out || (count > 1 && !fetched)) return E_POINTER;
        ULONG n = 0;
        for (; n < count && position_ < points_.size(); ++n, ++position_) points_[position_].CopyTo(&out[n]);
        if (fetched) *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG count) override {
        bool whole = count <= points_.size() - position_;
        position_ = whole ? position_ + count : points_.size();
        return whole ? S_OK : S_FALSE;
    }
    STDMETHODIMP Reset() override {
        position_ = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(IEnumConnectionPoints** out) override {
        return GuardOut(out, [&] { *out = MakeObject<ConnectionPointEnum>(points_, position_).Detach(); });
    }

private:
    std::vector<ComPtr<IConnectionPoint>> points_;
    size_t position_;
};

} // namespace

HRESULT MakeConnectionPointEnum(const std::vector<IConnectionPoint*>& points, IEnumConnectionPoints** out) {
    return GuardOut(out, [&] {
        std::vector<ComPtr<IConnectionPoint>> held;
        for (IConnectionPoint* p : points) held.emplace_back(p);
        *out = MakeObject<ConnectionPointEnum>(std::move(held), 0).Detach();
    });
}

} // namespace bastide::com
