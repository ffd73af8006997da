#include "common/com/EnumVariant.h"

#include "common/com/ComError.h"

namespace bastide::com {

const QiEntry* EnumVariant::Interfaces() {
    static const QiEntry table[] = {QiEntry::Of<EnumVariant, IEnumVARIANT>(IID_IEnumVARIANT), {}};
    return table;
}

HRESULT EnumVariant::Next(ULONG count, VARIANT* out, ULONG* fetched) {
    if (!out || (count > 1 && !fetched)) return E_POINTER;
    return Guard([&]() -> HRESULT {
        ULONG n = 0;
        for (; n < count && position_ < items_.size(); ++n, ++position_) {
            VariantInit(&out[n]);
            HRESULT hr = VariantCopy(&out[n], &items_[position_].Get());
            if (FAILED(hr)) {
                for (ULONG i = 0; i < n; ++i) VariantClear(&out[i]);
                return hr;
            }
        }
        if (fetched) *fetched = n;
        return n == count ? S_OK : S_FALSE;
    });
}

HRESULT EnumVariant::Skip(ULONG count) {
    size_t left = items_.size() - position_;
    if (count > left) {
        position_ = items_.size();
        return S_FALSE;
    }
    position_ += count;
    return S_OK;
}

HRESULT EnumVariant::Reset() {
    position_ = 0;
    return S_OK;
}

HRESULT EnumVariant::Clone(IEnumVARIANT** out) {
    return GuardOut(out, [&] { *out = MakeObject<EnumVariant>(items_, position_).Detach(); });
}

HRESULT MakeEnumVariant(std::vector<Variant> items, IUnknown** out) {
    return GuardOut(out, [&] { *out = MakeObject<EnumVariant>(std::move(items)).Detach(); });
}

} // namespace bastide::com
