#include "VEQUIUtil.h"

wxString VEQUIUtil::GetAppName() {
    return "Veqora";
}
