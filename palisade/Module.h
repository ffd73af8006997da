#pragma once
// Process-wide state of the library: its module handle, the object and lock
// count, the critical sections, the type library read from its own resources,
// and its texts.

#include <windows.h>
#include <windows.h>
#include <ole2.h>

#include <string>

namespace palisade {

HMODULE Module();
void SetModule(HMODULE module);

// Server locks (IClassFactory::LockServer) add to the object count.
void LockServer(bool lock);

// The critical section of the list of live controls and the shared hooks, and
// the one of module-level data.
CRITICAL_SECTION& ControlsLock();
CRITICAL_SECTION& ModuleDataLock();

// The type library carried as resource TYPELIB 1; throws ComError when it
// cannot be read.
ITypeLib* TypeLib();
// The type info of an interface or class of the library (not AddRef'ed: it lives
// as long as the module). Throws ComError when it is missing.
ITypeInfo* TypeInfoOf(const GUID& guid);

// A text of the string table (empty when missing).
std::wstring LoadText(unsigned id);

// Called at process attach and detach.
void StartModule(HMODULE module);
void StopModule();
// Drops the cached type library (module unloaded while the process goes on).
void ReleaseTypeLib();

// The control's cursors: kind 1 (copying a tool) is group 113, kind 2 (moving
// one) group 112, any other kind the selection arrow, group 111.
HCURSOR ControlCursor(int kind);

// Window class of the control (registered once per process).
extern const wchar_t kControlClass[];
void RegisterControlClass(WNDPROC proc);

} // namespace palisade
