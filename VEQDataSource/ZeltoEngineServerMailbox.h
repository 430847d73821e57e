// A box of the print engine behind a Zelto controller, opened with an engine
// user's login. Everything but the listing is that of an ordinary mailbox.
#pragma once

#include <string>

#include <wx/string.h>

#include "VEQDataSourceExport.h"
#include "ZeltoServerMailBox.h"

class VEQDATASOURCE_API ZeltoEngineServerMailbox : public ZeltoServerMailBox {
public:
    // The first listing, made while the base is constructed, is the ordinary
    // mailbox listing of the box; refresh it to list the engine box.
    ZeltoEngineServerMailbox(Server* server, const wxString& user, const wxString& userPassword,
                             const wxString& box, const wxString& boxPassword);
    ~ZeltoEngineServerMailbox() override;

    bool FetchJobsFromServer(std::shared_ptr<JobList> jobs) override;
    using ZeltoServerMailBox::FetchJobsFromServer;

private:
    // The engine user's login, in UTF-8 for the SDK.
    const std::string m_userNameUtf8;
    const std::string m_userPasswordUtf8;
};
