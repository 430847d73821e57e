#include "VEQPlugin.h"
#include "ZeltoVEQPlugin.h"

extern "C" {

veq::VEQPlugin* CreateVEQPlugin() {
    return new veq::ZeltoVEQPlugin();
}

void FreeVEQPlugin(veq::VEQPlugin* plugin) {
    delete plugin;
}

}
