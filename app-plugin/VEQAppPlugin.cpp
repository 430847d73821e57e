#include "VEQAppPlugin.h"

#include <memory>

#include "Plugin.h"
#include "VEQUI.h"

VEQUI* VEQAppPlugin::GetUI(wxWindow* parent) {
    auto plugin = std::make_shared<Plugin>();
    return new VEQUI(parent, plugin, std::shared_ptr<VEQUILaunchContext>());
}
