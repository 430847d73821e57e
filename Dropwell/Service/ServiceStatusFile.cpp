#include "ServiceStatusFile.h"

#include "Logger.h"

#include <wx/filename.h>
#include <wx/log.h>
#include <wx/xml/xml.h>

namespace ServiceStatusFile {

bool AllowsStart(const wxString& path) {
    if (!wxFileName::FileExists(path)) {
        VEQLOG(Error) << "File " << path << " does not exist";
        return true;
    }
    wxLogNull quiet;
    wxXmlDocument document;
    if (!document.Load(path, "UTF-8")) return true;
    const wxXmlNode* root = document.GetRoot();
    const wxXmlNode* child = root ? root->GetChildren() : nullptr;
    while (child && child->GetType() != wxXML_ELEMENT_NODE) child = child->GetNext();
    if (!child || child->GetName() != "Service") return true;
    wxString status = child->GetAttribute("Status", wxString());
    status.Trim(true).Trim(false);
    return status.IsSameAs("1", false);
}

}  // namespace ServiceStatusFile
