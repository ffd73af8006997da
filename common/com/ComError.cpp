#include "common/com/ComError.h"

#include "common/com/ComPtr.h"

#include <windows.h>
#include <ole2.h>

namespace bastide::com {

void SetAutomationErrorInfo(const AutomationError& e) {
    ComPtr<ICreateErrorInfo> create;
    if (FAILED(CreateErrorInfo(create.Put()))) return;
    create->SetGUID(e.Interface());
    create->SetDescription(const_cast<LPOLESTR>(e.Description().c_str()));
    create->SetSource(const_cast<LPOLESTR>(e.Source().c_str()));
    ComPtr<IErrorInfo> info;
    if (SUCCEEDED(create.As(IID_IErrorInfo, info))) SetErrorInfo(0, info.Get());
}

} // namespace bastide::com
