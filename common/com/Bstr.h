#pragma once
// Owned BSTR and VARIANT: freed on destruction, copied deeply.

#include <windows.h>
#include <ole2.h>

#include <string>
#include <string_view>
#include <utility>

namespace bastide::com {

class Bstr {
public:
    Bstr() = default;
    explicit Bstr(std::wstring_view text);
    Bstr(const Bstr& o);
    Bstr(Bstr&& o) noexcept : s_(std::exchange(o.s_, nullptr)) {}
    ~Bstr() { SysFreeString(s_); }
    Bstr& operator=(Bstr o) noexcept { std::swap(s_, o.s_); return *this; }

    static Bstr Adopt(BSTR s) { Bstr b; b.s_ = s; return b; }

    BSTR Get() const { return s_; }
    BSTR* Put() { SysFreeString(std::exchange(s_, nullptr)); return &s_; }
    BSTR Detach() { return std::exchange(s_, nullptr); }
    // A null BSTR is the empty string for automation.
    std::wstring_view View() const { return s_ ? std::wstring_view(s_, SysStringLen(s_)) : std::wstring_view(); }
    std::wstring Str() const { return std::wstring(View()); }
    UINT Length() const { return SysStringLen(s_); }

private:
    BSTR s_ = nullptr;
};

// A copy of text the caller owns, for a [out, retval] BSTR*. Throws std::bad_alloc.
BSTR AllocBstr(std::wstring_view text);

// Text of a BSTR argument; null reads as empty.
inline std::wstring_view BstrView(BSTR s) { return s ? std::wstring_view(s, SysStringLen(s)) : std::wstring_view(); }

class Variant {
public:
    Variant() { VariantInit(&v_); }
    Variant(const VARIANT& src);
    Variant(const Variant& o) : Variant(o.v_) {}
    Variant(Variant&& o) noexcept { v_ = o.v_; VariantInit(&o.v_); }
    ~Variant() { VariantClear(&v_); }
    Variant& operator=(Variant o) noexcept { std::swap(v_, o.v_); return *this; }

    static Variant FromLong(long value);
    static Variant FromBool(bool value);
    static Variant FromString(std::wstring_view text);
    static Variant FromDispatch(IDispatch* d);

    VARIANT& Get() { return v_; }
    const VARIANT& Get() const { return v_; }
    VARIANT* Ptr() { return &v_; }
    VARTYPE Type() const { return V_VT(&v_); }
    bool IsEmpty() const { return V_VT(&v_) == VT_EMPTY; }
    void Clear() { VariantClear(&v_); }
    // Copies into a caller's VARIANT (for an [out, retval]); throws on failure.
    void CopyTo(VARIANT* out) const;

private:
    VARIANT v_;
};

// True when an [optional] VARIANT argument was left out by the caller.
inline bool IsMissing(const VARIANT* v) {
    return v == nullptr || (V_VT(v) == VT_ERROR && V_ERROR(v) == DISP_E_PARAMNOTFOUND) ||
           V_VT(v) == VT_EMPTY;
}

// Follows VT_BYREF|VT_VARIANT to the variant actually meant.
const VARIANT* Deref(const VARIANT* v);

} // namespace bastide::com
