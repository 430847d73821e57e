// Testing aid: what the panel does by itself once it is connected, read from
// the environment variable VEQUI_AUTORUN.
//
//   VEQUI_AUTORUN=scan                              scan with the scanner's defaults
//   VEQUI_AUTORUN=mailbox:<name>:<password>         open the mailbox
//   VEQUI_AUTORUN=mailbox:<name>:<password>:<id>    open it and retrieve job <id>
//   VEQUI_AUTORUN=map:<name>:<password>:<folder>    open it and map it to the folder
//                                                   (an absolute path) in the mapping dialog
//
// The mailbox name ends at the first ":"; the password runs to the last ":"
// when a job id (decimal digits) follows it, so a password may hold ":". In
// the map form the folder starts at the first ":/" after the name, so the
// password may hold ":" but not ":/".
//
//   VEQUI_SERVER=<address>   connect to this controller at start instead of
//                            the current one of the settings
#pragma once

#include <wx/string.h>

struct AutorunRequest {
    enum Kind { NONE, INVALID, SCAN, MAILBOX, MAP };

    Kind m_kind = NONE;
    wxString m_mailboxName;
    wxString m_mailboxPassword;
    int m_jobId = 0;  // 0: only open the mailbox
    wxString m_folder;  // MAP: the folder to map the mailbox to

    static AutorunRequest Parse(const wxString& text);
    // From VEQUI_AUTORUN; NONE when it is unset or empty.
    static AutorunRequest FromEnvironment();
    // VEQUI_SERVER, empty when unset.
    static wxString ServerFromEnvironment();
};
