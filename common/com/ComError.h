#pragma once
// Errors at COM boundaries. Inside, failures travel as C++ exceptions; every COM
// entry point runs its body through Guard(), which turns them into an HRESULT and,
// for automation errors, into an IErrorInfo the caller (VBScript's Err object,
// ITypeInfo::Invoke's EXCEPINFO) can read.

#include <windows.h>
#include <ole2.h>

#include <exception>
#include <new>
#include <string>
#include <type_traits>
#include <utility>

namespace bastide::com {

// A failure that is only an HRESULT (E_INVALIDARG, E_OUTOFMEMORY, ...).
class ComError : public std::exception {
public:
    explicit ComError(HRESULT hr) : hr_(hr) {}
    HRESULT Result() const { return hr_; }
    const char* what() const noexcept override { return "COM error"; }

private:
    HRESULT hr_;
};

// An automation exception: HRESULT 0x800A0000 + number, with a description.
class AutomationError : public ComError {
public:
    AutomationError(long number, std::wstring description, std::wstring source = {}, GUID iid = GUID_NULL)
        : ComError(HresultOf(number)), number_(number), description_(std::move(description)),
          source_(std::move(source)), iid_(iid) {}

    static constexpr HRESULT HresultOf(long number) {
        return static_cast<HRESULT>(0x800A0000u + static_cast<unsigned long>(number & 0xFFFF));
    }
    long Number() const { return number_; }
    const std::wstring& Description() const { return description_; }
    const std::wstring& Source() const { return source_; }
    const GUID& Interface() const { return iid_; }

private:
    long number_;
    std::wstring description_, source_;
    GUID iid_;
};

inline void ThrowIfFailed(HRESULT hr) {
    if (FAILED(hr)) throw ComError(hr);
}

// Publishes the error through SetErrorInfo (the thread's current error object).
void SetAutomationErrorInfo(const AutomationError& e);

// Runs body (returning HRESULT or void) and turns any exception into an HRESULT.
// The thread's error object is cleared first, so a later caller never reads a stale one.
template <class Body>
HRESULT Guard(Body&& body) noexcept {
    try {
        SetErrorInfo(0, nullptr);
        if constexpr (std::is_void_v<decltype(body())>) {
            body();
            return S_OK;
        } else {
            return body();
        }
    } catch (const AutomationError& e) {
        SetAutomationErrorInfo(e);
        return e.Result();
    } catch (const ComError& e) {
        return e.Result();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

// Guard for an [out] parameter: checks it is not null and zeroes it first.
template <class T, class Body>
HRESULT GuardOut(T* out, Body&& body) noexcept {
    if (!out) return E_POINTER;
    *out = T{};
    return Guard(std::forward<Body>(body));
}

} // namespace bastide::com
