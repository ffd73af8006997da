// The combo-box and edit parts of a tool.

#include "palisade/Access.h"
#include "palisade/Control.h"

#include <algorithm>

namespace palisade {

namespace {
constexpr long kDropDownList = 1;
}

ComboBox::ComboBox(Control* owner) : TreeNode(owner) {
    SetTypeInfo(TypeInfoOf(IID_IPlComboBoxImpl), TypeInfoOf(DIID_IPlComboBox));
}

const QiEntry* ComboBox::Interfaces() {
    static const QiEntry table[] = {QiEntry::Of<ComboBox, IPlComboBoxImpl>(IID_IPlComboBoxImpl),
                                    QiEntry::Of<ComboBox, IPlComboBoxImpl>(DIID_IPlComboBox),
                                    QiEntry::Of<ComboBox, IPlComboBoxImpl>(IID_IDispatch),
                                    QiEntry::Of<ComboBox, ISupportErrorInfo>(IID_ISupportErrorInfo),
                                    {}};
    return table;
}

size_t ComboBox::CheckIndex(short index) const {
    if (index < 0 || static_cast<size_t>(index) >= list_.size()) Raise(kInvalidArrayIndex);
    return static_cast<size_t>(index);
}

HRESULT ComboBox::get_ItemData(short index, VARIANT* v) {
    return GuardOut(v, [&] {
        Owner();
        list_[CheckIndex(index)].data.CopyTo(v);
    });
}
HRESULT ComboBox::put_ItemData(short index, VARIANT v) {
    return Put(*this, [&] { list_[CheckIndex(index)].data = Variant(v); });
}
HRESULT ComboBox::putref_ItemData(short index, VARIANT v) { return put_ItemData(index, v); }

HRESULT ComboBox::get_List(short index, BSTR* v) {
    return Get(*this, v, [&] { return AllocBstr(list_[CheckIndex(index)].text); });
}
HRESULT ComboBox::put_List(short index, BSTR v) {
    return Put(*this, [&] { list_[CheckIndex(index)].text = BstrView(v); });
}

HRESULT ComboBox::get_ListCount(short* v) { return Get(*this, v, [&] { return static_cast<short>(list_.size()); }); }

HRESULT ComboBox::get_ListIndex(short* v) { return Get(*this, v, [&] { return listIndex_; }); }
HRESULT ComboBox::put_ListIndex(short v) {
    return Put(*this, [&] {
        CheckRange(v, -1, static_cast<long>(list_.size()) - 1);
        listIndex_ = v;
        if (v >= 0) text_ = list_[static_cast<size_t>(v)].text;
    });
}

HRESULT ComboBox::get_Locked(VARIANT_BOOL* v) { return Get(*this, v, [&] { return VBool(locked_); }); }
HRESULT ComboBox::put_Locked(VARIANT_BOOL v) { return Put(*this, [&] { locked_ = v != 0; }); }

HRESULT ComboBox::get_NewIndex(short* v) { return Get(*this, v, [&] { return newIndex_; }); }

HRESULT ComboBox::get_Sorted(VARIANT_BOOL* v) { return Get(*this, v, [&] { return VBool(sorted_); }); }
HRESULT ComboBox::put_Sorted(VARIANT_BOOL v) {
    return Put(*this, [&] {
        sorted_ = v != 0;
        if (!sorted_) return;
        std::wstring selected = listIndex_ >= 0 ? list_[static_cast<size_t>(listIndex_)].text : std::wstring();
        std::stable_sort(list_.begin(), list_.end(), [](const Entry& a, const Entry& b) {
            return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.text.c_str(), -1, b.text.c_str(), -1) ==
                   CSTR_LESS_THAN;
        });
        newIndex_ = -1;
        if (listIndex_ >= 0) {
            auto it = std::find_if(list_.begin(), list_.end(), [&](const Entry& e) { return e.text == selected; });
            listIndex_ = static_cast<short>(it - list_.begin());
        }
    });
}

HRESULT ComboBox::get_Style(Constants_ComboBoxStyle* v) {
    return Get(*this, v, [&] { return static_cast<Constants_ComboBoxStyle>(style_); });
}
HRESULT ComboBox::put_Style(Constants_ComboBoxStyle v) {
    return Put(*this, [&] { style_ = CheckRange(v, 0, kDropDownList); });
}

HRESULT ComboBox::get_Text(BSTR* v) { return Get(*this, v, [&] { return AllocBstr(text_); }); }
HRESULT ComboBox::put_Text(BSTR v) {
    return Put(*this, [&] {
        std::wstring text(BstrView(v));
        auto it = std::find_if(list_.begin(), list_.end(), [&](const Entry& e) { return e.text == text; });
        // A drop-down list shows only its items: other text cannot be set.
        if (style_ == kDropDownList && it == list_.end() && !text.empty()) Raise(kPropertyReadOnly);
        text_ = text;
        listIndex_ = it == list_.end() ? -1 : static_cast<short>(it - list_.begin());
    });
}

HRESULT ComboBox::AddItem(BSTR item, VARIANT* index) {
    return Put(*this, [&] {
        if (list_.size() >= SHRT_MAX) Raise(kInvalidProcedureCall);
        Entry entry{std::wstring(BstrView(item)), Variant()};
        size_t position = list_.size();
        if (sorted_) {
            position = 0;
            while (position < list_.size() &&
                   CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, list_[position].text.c_str(), -1,
                                  entry.text.c_str(), -1) != CSTR_GREATER_THAN)
                ++position;
        } else if (!bastide::com::IsMissing(bastide::com::Deref(index))) {
            long n = V_I4(Coerce(index, VT_I4).Ptr());
            if (n < 0 || n > static_cast<long>(list_.size())) Raise(kInvalidArrayIndex);
            position = static_cast<size_t>(n);
        }
        list_.insert(list_.begin() + static_cast<ptrdiff_t>(position), std::move(entry));
        if (listIndex_ >= static_cast<short>(position)) ++listIndex_;
        newIndex_ = static_cast<short>(position);
    });
}

HRESULT ComboBox::Clear() {
    return Put(*this, [&] {
        list_.clear();
        listIndex_ = newIndex_ = -1;
        text_.clear();
    });
}

HRESULT ComboBox::RemoveItem(short index) {
    return Put(*this, [&] {
        size_t i = CheckIndex(index);
        list_.erase(list_.begin() + static_cast<ptrdiff_t>(i));
        if (listIndex_ == index) {
            listIndex_ = -1;
            text_.clear();
        } else if (listIndex_ > index) {
            --listIndex_;
        }
        newIndex_ = -1;
    });
}

// ---- Edit -------------------------------------------------------------------------

Edit::Edit(Control* owner) : TreeNode(owner) { SetTypeInfo(TypeInfoOf(IID_IPlEditImpl), TypeInfoOf(DIID_IPlEdit)); }

const QiEntry* Edit::Interfaces() {
    static const QiEntry table[] = {QiEntry::Of<Edit, IPlEditImpl>(IID_IPlEditImpl),
                                    QiEntry::Of<Edit, IPlEditImpl>(DIID_IPlEdit),
                                    QiEntry::Of<Edit, IPlEditImpl>(IID_IDispatch),
                                    QiEntry::Of<Edit, ISupportErrorInfo>(IID_ISupportErrorInfo),
                                    {}};
    return table;
}

HRESULT Edit::get_Locked(VARIANT_BOOL* v) { return Get(*this, v, [&] { return VBool(locked_); }); }
HRESULT Edit::put_Locked(VARIANT_BOOL v) { return Put(*this, [&] { locked_ = v != 0; }); }

HRESULT Edit::get_MaxLength(short* v) { return Get(*this, v, [&] { return maxLength_; }); }
HRESULT Edit::put_MaxLength(short v) {
    return Put(*this, [&] {
        maxLength_ = static_cast<short>(CheckRange(v, 0, SHRT_MAX));  // 0: no limit
        if (maxLength_ && text_.size() > static_cast<size_t>(maxLength_)) text_.resize(maxLength_);
    });
}

HRESULT Edit::get_Text(BSTR* v) { return Get(*this, v, [&] { return AllocBstr(text_); }); }
HRESULT Edit::put_Text(BSTR v) {
    return Put(*this, [&] {
        std::wstring_view text = BstrView(v);
        // As an edit box does, text beyond the maximum length is cut off.
        if (maxLength_ && text.size() > static_cast<size_t>(maxLength_)) text = text.substr(0, maxLength_);
        text_ = text;
    });
}

HRESULT Edit::get_PasswordChar(BSTR* v) { return Get(*this, v, [&] { return AllocBstr(passwordChar_); }); }
HRESULT Edit::put_PasswordChar(BSTR v) {
    return Put(*this, [&] {
        std::wstring_view c = BstrView(v);
        if (c.size() > 1) Raise(kInvalidPropertyValue);  // one character, or none
        passwordChar_ = std::wstring(c);
    });
}

} // namespace palisade
