// The plug-in's cache folder and its scan-session folders.
#pragma once

#include <utility>

#include <wx/string.h>

#include "VEQPluginExport.h"

namespace veq {

// Base name and extension of the files a session downloads (image.cache, image1.cache, ...).
VEQPLUGIN_API extern const wxString g_scanFileName;  // "image"
VEQPLUGIN_API extern const wxString g_scanFileExt;   // "cache"

class VEQPLUGIN_API VEQPluginUtil {
public:
    VEQPluginUtil() = delete;

    // The configuration folder's "VEQPluginCache" folder, with a trailing separator.
    static wxString GetCacheDirectory();
    // Makes a new session folder (a random UUID) below the cache folder and
    // returns {its image.cache path, the UUID text}. The process holds a lock
    // on each of its session folders while it lives; the first call of a
    // process removes the session folders that no live process holds.
    static std::pair<wxString, wxString> GetNewScanSessionFilePath();
};

}  // namespace veq
