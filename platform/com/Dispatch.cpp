#include "platform/com/Dispatch.h"

#include <cstring>

namespace lumo::com {

void clearExcepInfo(EXCEPINFO* info) {
    if (!info) return;
    SysFreeString(info->bstrSource);
    SysFreeString(info->bstrDescription);
    SysFreeString(info->bstrHelpFile);
    std::memset(info, 0, sizeof *info);
}

}  // namespace lumo::com
