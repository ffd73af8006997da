#pragma once
// IEnumVARIANT over a snapshot of values, the enumerator behind a collection's
// _NewEnum (what For Each walks).

#include "common/com/Bstr.h"
#include "common/com/ComObject.h"

#include <vector>

namespace bastide::com {

class EnumVariant : public ComObject<EnumVariant, IEnumVARIANT> {
public:
    explicit EnumVariant(std::vector<Variant> items, size_t position = 0)
        : items_(std::move(items)), position_(position) {}

    static const QiEntry* Interfaces();

    STDMETHODIMP Next(ULONG count, VARIANT* out, ULONG* fetched) override;
    STDMETHODIMP Skip(ULONG count) override;
    STDMETHODIMP Reset() override;
    STDMETHODIMP Clone(IEnumVARIANT** out) override;

private:
    std::vector<Variant> items_;
    size_t position_;
};

// A new enumerator over items, returned as IUnknown for _NewEnum.
HRESULT MakeEnumVariant(std::vector<Variant> items, IUnknown** out);

} // namespace bastide::com
