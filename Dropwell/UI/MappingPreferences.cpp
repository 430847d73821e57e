#include "MappingPreferences.h"

#include "VEQPreferences.h"
#include "VEQServicesUtil.h"

bool ShowPrivacyFolderWarnings() {
    try {
        return VEQPreferences::Get().GetValue<int>(VEQPrefKeys::g_ShouldShowPrivacyFolderWarningMessage) != 0;
    } catch (const BadPreferenceTypeException&) {
        return true;
    }
}

bool RoomForPrivacyWarning() {
    return VEQServicesUtil::OSX10_15nAbove() && ShowPrivacyFolderWarnings();
}
