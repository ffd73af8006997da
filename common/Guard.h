#pragma once
// No exception may cross a window procedure or a system callback: the system would carry
// on with a half-handled message and the program's state would no longer be known. The
// guard writes what happened to the debugger output and to a log file beside the program,
// then ends the process; the files the program keeps are always replaced whole, so
// nothing is left half written.
#include <windows.h>

#include <exception>

namespace guard {

// Records the failure (where: the procedure's name) and ends the process with exitCode.
[[noreturn]] void EndAfterFailure(const char* where, const char* what) noexcept;

inline constexpr UINT FailureExitCode = 2;

template <typename Result, typename Function>
Result Call(const char* where, Function&& function) noexcept {
    try {
        return function();
    } catch (const std::exception& failure) {
        EndAfterFailure(where, failure.what());
    } catch (...) {
        EndAfterFailure(where, "exception inconnue");
    }
}

}  // namespace guard
