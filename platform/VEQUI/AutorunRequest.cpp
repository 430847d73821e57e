#include "AutorunRequest.h"

#include <wx/utils.h>

namespace {

bool IsJobIdText(const wxString& text, int& jobId) {
    if (text.empty() || text.length() > 9) {
        return false;
    }
    for (wxUniChar c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    long value = 0;
    text.ToLong(&value);
    jobId = static_cast<int>(value);
    return jobId > 0;
}

}  // namespace

AutorunRequest AutorunRequest::Parse(const wxString& text) {
    AutorunRequest request;
    if (text.empty()) {
        return request;
    }
    if (text == "scan") {
        request.m_kind = SCAN;
        return request;
    }
    wxString rest;
    if (text.StartsWith("map:", &rest)) {
        const wxString afterName = rest.AfterFirst(':');
        const int folderStart = afterName.Find(":/");
        if (!rest.Contains(":") || folderStart == wxNOT_FOUND) {
            request.m_kind = INVALID;
            return request;
        }
        request.m_kind = MAP;
        request.m_mailboxName = rest.BeforeFirst(':');
        request.m_mailboxPassword = afterName.Left(folderStart);
        request.m_folder = afterName.Mid(folderStart + 1);
        return request;
    }
    if (!text.StartsWith("mailbox:", &rest)) {
        request.m_kind = INVALID;
        return request;
    }
    request.m_kind = MAILBOX;
    request.m_mailboxName = rest.BeforeFirst(':');
    if (!rest.Contains(":")) {
        return request;
    }
    wxString credentials = rest.AfterFirst(':');
    if (credentials.Contains(":")) {
        int jobId = 0;
        if (IsJobIdText(credentials.AfterLast(':'), jobId)) {
            request.m_jobId = jobId;
            credentials = credentials.BeforeLast(':');
        }
    }
    request.m_mailboxPassword = credentials;
    return request;
}

AutorunRequest AutorunRequest::FromEnvironment() {
    wxString text;
    if (!wxGetEnv("VEQUI_AUTORUN", &text)) {
        return AutorunRequest();
    }
    return Parse(text);
}

wxString AutorunRequest::ServerFromEnvironment() {
    wxString server;
    wxGetEnv("VEQUI_SERVER", &server);
    return server.Strip(wxString::both);
}
