// Objects that travel in events: return values a handler can set, and the data
// of an OLE drag and drop. They belong to no control.

#include "palisade/Access.h"
#include "palisade/Module.h"

#include "common/com/EnumVariant.h"

#include <algorithm>

namespace palisade {

namespace {

constexpr short kFilesFormat = 15;  // plCFFiles

template <class T, class F>
HRESULT Read(T* out, F&& value) {
    return GuardOut(out, [&] { *out = value(); });
}

} // namespace

// The three return-value classes differ only in the type of their Value.
#define PALISADE_RETURN_OBJECT(Class, Impl, Disp, Type)                                     \
    Class::Class(Type v) : value(v) { SetTypeInfo(TypeInfoOf(IID_##Impl), TypeInfoOf(DIID_##Disp)); }   \
    const QiEntry* Class::Interfaces() {                                                                     \
        static const QiEntry table[] = {QiEntry::Of<Class, Impl>(IID_##Impl), QiEntry::Of<Class, Impl>(DIID_##Disp), \
                                        QiEntry::Of<Class, Impl>(IID_IDispatch),                             \
                                        QiEntry::Of<Class, ISupportErrorInfo>(IID_ISupportErrorInfo), {}};   \
        return table;                                                                                        \
    }

PALISADE_RETURN_OBJECT(ReturnLong, IPlReturnLongImpl, IPlReturnLong, long)
PALISADE_RETURN_OBJECT(ReturnShort, IPlReturnShortImpl, IPlReturnShort, short)
PALISADE_RETURN_OBJECT(ReturnBoolean, IPlReturnBooleanImpl, IPlReturnBoolean, bool)
#undef PALISADE_RETURN_OBJECT

HRESULT ReturnLong::get_Value(LONG* v) { return Read(v, [&] { return static_cast<LONG>(value); }); }
HRESULT ReturnLong::put_Value(LONG v) {
    value = v;
    return S_OK;
}
HRESULT ReturnShort::get_Value(short* v) { return Read(v, [&] { return value; }); }
HRESULT ReturnShort::put_Value(short v) {
    value = v;
    return S_OK;
}
HRESULT ReturnBoolean::get_Value(VARIANT_BOOL* v) { return Read(v, [&] { return VBool(value); }); }
HRESULT ReturnBoolean::put_Value(VARIANT_BOOL v) {
    value = v != 0;
    return S_OK;
}

// ---- Files of a data object ---------------------------------------------------------

DataObjectFiles::DataObjectFiles() {
    SetTypeInfo(TypeInfoOf(IID_IPlDataObjectFilesImpl), TypeInfoOf(DIID_IPlDataObjectFiles));
}

const QiEntry* DataObjectFiles::Interfaces() {
    static const QiEntry table[] = {
        QiEntry::Of<DataObjectFiles, IPlDataObjectFilesImpl>(IID_IPlDataObjectFilesImpl),
        QiEntry::Of<DataObjectFiles, IPlDataObjectFilesImpl>(DIID_IPlDataObjectFiles),
        QiEntry::Of<DataObjectFiles, IPlDataObjectFilesImpl>(IID_IDispatch),
        QiEntry::Of<DataObjectFiles, ISupportErrorInfo>(IID_ISupportErrorInfo),
        {}};
    return table;
}

size_t DataObjectFiles::CheckIndex(const VARIANT* index, bool allowEnd) const {
    long n = V_I4(Coerce(index, VT_I4).Ptr());
    long last = static_cast<long>(files_.size()) - (allowEnd ? 0 : 1);
    if (n < 0 || n > last) Raise(kInvalidArrayIndex);
    return static_cast<size_t>(n);
}

HRESULT DataObjectFiles::get_Item(LONG index, BSTR* v) {
    return Read(v, [&] {
        if (index < 0 || static_cast<size_t>(index) >= files_.size()) Raise(kInvalidArrayIndex);
        return AllocBstr(files_[static_cast<size_t>(index)]);
    });
}

HRESULT DataObjectFiles::get_Count(LONG* v) { return Read(v, [&] { return static_cast<LONG>(files_.size()); }); }

HRESULT DataObjectFiles::Add(BSTR name, VARIANT index) {
    return Guard([&] {
        size_t position = bastide::com::IsMissing(&index) ? files_.size() : CheckIndex(&index, true);
        files_.insert(files_.begin() + static_cast<ptrdiff_t>(position), std::wstring(BstrView(name)));
    });
}

HRESULT DataObjectFiles::Clear() {
    files_.clear();
    return S_OK;
}

HRESULT DataObjectFiles::Remove(VARIANT index) {
    return Guard([&] { files_.erase(files_.begin() + static_cast<ptrdiff_t>(CheckIndex(&index, false))); });
}

HRESULT DataObjectFiles::get__NewEnum(IUnknown** out) {
    return GuardOut(out, [&]() -> HRESULT {
        std::vector<Variant> snapshot;
        for (const std::wstring& f : files_) snapshot.push_back(Variant::FromString(f));
        return bastide::com::MakeEnumVariant(std::move(snapshot), out);
    });
}

// ---- Data object -------------------------------------------------------------------------

DataObject::DataObject() : files_(bastide::com::MakeObject<DataObjectFiles>()) {
    SetTypeInfo(TypeInfoOf(IID_IPlDataObjectImpl), TypeInfoOf(DIID_IPlDataObject));
}

const QiEntry* DataObject::Interfaces() {
    static const QiEntry table[] = {QiEntry::Of<DataObject, IPlDataObjectImpl>(IID_IPlDataObjectImpl),
                                    QiEntry::Of<DataObject, IPlDataObjectImpl>(DIID_IPlDataObject),
                                    QiEntry::Of<DataObject, IPlDataObjectImpl>(IID_IDispatch),
                                    QiEntry::Of<DataObject, ISupportErrorInfo>(IID_ISupportErrorInfo),
                                    {}};
    return table;
}

HRESULT DataObject::Clear() {
    formats_.clear();
    return files_->Clear();
}

HRESULT DataObject::GetData(short format, VARIANT* v) {
    return GuardOut(v, [&] {
        for (auto& [f, data] : formats_) {
            if (f == format) return data.CopyTo(v);
        }
        Raise(kFormatMismatch);
    });
}

HRESULT DataObject::GetFormat(short format, VARIANT_BOOL* v) {
    return Read(v, [&] {
        if (format == kFilesFormat && files_->Size() > 0) return VARIANT_TRUE;
        bool present = std::any_of(formats_.begin(), formats_.end(), [&](const auto& e) { return e.first == format; });
        return VBool(present);
    });
}

// SetData(value, format): stores value under format; with no format the value's
// own kind decides (text for strings); with no value the format is announced
// with empty data.
HRESULT DataObject::SetData(VARIANT value, VARIANT format) {
    return Guard([&] {
        bool noValue = bastide::com::IsMissing(&value), noFormat = bastide::com::IsMissing(&format);
        if (noValue && noFormat) Raise(kInvalidProcedureCall);
        short f = 1;  // plCFText
        if (!noFormat) {
            f = V_I2(Coerce(&format, VT_I2).Ptr());
        } else if (V_VT(bastide::com::Deref(&value)) != VT_BSTR) {
            Raise(kFormatMismatch);
        }
        Variant data = noValue ? Variant() : Variant(*bastide::com::Deref(&value));
        for (auto& entry : formats_) {
            if (entry.first == f) {
                entry.second = data;
                return;
            }
        }
        formats_.emplace_back(f, data);
    });
}

HRESULT DataObject::get_Files(IPlDataObjectFiles** v) {
    return Read(v, [&] { return Hand<IPlDataObjectFiles>(files_.Get()); });
}

} // namespace palisade
