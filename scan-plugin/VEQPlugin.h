// The scan plug-in as a host sees it: one exported factory pair with
// unmangled names, looked up at run time.
//
//   veq::VEQPlugin* plugin = CreateVEQPlugin();
//   std::map<wxString, wxAny> options{{"pos", wxAny(wxPoint(400, 300))}};
//   plugin->Launch("127.0.0.1", veq::types::pdf, options);   // runs one session, modal
//   auto images = plugin->GetScannedImages();
//   FreeVEQPlugin(plugin);
//
// Launch options:
//   "pos"           wxPoint: the screen point the dialog is centred on
//                   (missing, not a point, or (-1, -1): centred on the screen).
//   "supresserror"  bool: true for an unattended run; a refused address then
//                   shows no message box (the result, 5101, tells it).
#pragma once

#include <map>
#include <memory>
#include <vector>

#include <wx/any.h>
#include <wx/string.h>

#include "VEQPluginExport.h"
#include "VEQPluginTypes.h"
#include "VEQScannedImage.h"

namespace veq {

class VEQPLUGIN_API VEQPlugin {
public:
    virtual ~VEQPlugin() = default;
    virtual int Launch(const wxString& ip, types::FileFormat format) = 0;
    // 5101 (wxID_CANCEL) when the address is refused; else the code that ended
    // the session's dialog (wxID_OK after a download).
    virtual int Launch(const wxString& ip, types::FileFormat format,
                       std::map<wxString, wxAny>& options) = 0;
    // The images of the latest launch. Release them while the library is loaded.
    virtual std::vector<std::shared_ptr<VEQScannedImage>> GetScannedImages() = 0;
};

}  // namespace veq

extern "C" {
// A new plug-in object, owned by the caller, freed only by FreeVEQPlugin.
VEQPLUGIN_API veq::VEQPlugin* CreateVEQPlugin();
// Deletes the object; a null pointer is ignored.
VEQPLUGIN_API void FreeVEQPlugin(veq::VEQPlugin* plugin);
}

// The signatures the host looks up.
using CreateVEQPluginFunction = veq::VEQPlugin* (*)();
using FreeVEQPluginFunction = void (*)(veq::VEQPlugin*);
