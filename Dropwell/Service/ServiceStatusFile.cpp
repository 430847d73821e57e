#include "ServiceStatusFile.h"

#include <string>

#include <wx/xml/xml.h>

#include "Logger.h"
#include "StoreXml.h"

namespace ServiceStatusFile {

bool AllowsStart(const wxString& path) {
    wxXmlDocument document;
    std::string problem;
    switch (DROPWELL::LoadStoreXml(std::string(path.fn_str()), document, problem)) {
    case DROPWELL::StoreXmlResult::Missing:
        VEQLOG(Error) << "File " << path << " does not exist";
        return true;
    case DROPWELL::StoreXmlResult::Refused:
        VEQLOG(Error) << "The service status file " << path << " is not read: " << problem;
        return true;
    case DROPWELL::StoreXmlResult::Unreadable:
    case DROPWELL::StoreXmlResult::Malformed:
        return true;
    case DROPWELL::StoreXmlResult::Loaded:
        break;
    }
    const wxXmlNode* root = document.GetRoot();
    const wxXmlNode* child = root ? root->GetChildren() : nullptr;
    while (child && child->GetType() != wxXML_ELEMENT_NODE) child = child->GetNext();
    if (!child || child->GetName() != "Service") return true;
    wxString status = child->GetAttribute("Status", wxString());
    status.Trim(true).Trim(false);
    return status.IsSameAs("1", false);
}

}  // namespace ServiceStatusFile
