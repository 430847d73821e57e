#include "VEQPluginUtil.h"

#include <boost/uuid/random_generator.hpp>
#include <boost/uuid/uuid_io.hpp>
#include <wx/filename.h>

#include "Logger.h"
#include "VEQServicesUtil.h"

namespace veq {

const wxString g_scanFileName = "image";
const wxString g_scanFileExt = "cache";

wxString VEQPluginUtil::GetCacheDirectory() {
    return VEQServicesUtil::GetConfigDirectory() + "VEQPluginCache" + wxFileName::GetPathSeparator();
}

std::pair<wxString, wxString> VEQPluginUtil::GetNewScanSessionFilePath() {
    // The generator draws from the system's random source.
    const wxString uuid = boost::uuids::to_string(boost::uuids::random_generator()());
    const wxString folder = GetCacheDirectory() + uuid;
    if (!wxFileName::Mkdir(folder, 0777, wxPATH_MKDIR_FULL)) {
        VEQLOG(Error) << "Cannot make the scan session folder " << folder;
    }
    return {folder + wxFileName::GetPathSeparator() + g_scanFileName + "." + g_scanFileExt, uuid};
}

}  // namespace veq
