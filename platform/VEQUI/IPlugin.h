// What the main-UI panel drives: the plug-in object that picks the server,
// starts scans and retrievals and is told when they are done.
//
// The panel calls it in this order: SetServer before anything that needs a
// server; a scan as InitScan, OnScanCompleted once the scanned job exists,
// OnDownloadCompleted once its download is complete; a stored job as
// InitMailBoxRetrive, then OnDownloadCompleted.
#pragma once

#include <memory>

#include <wx/string.h>

#include "MailBox.h"
#include "Server.h"
#include "VEQTypes.h"
#include "VEQUIExport.h"

class VEQUI_API IPlugin {
public:
    // True when the server is connected.
    virtual bool SetServer(const wxString& ip) = 0;
    // Possibly empty.
    virtual std::shared_ptr<Server> GetServer() = 0;
    virtual bool IsDriverMode() = 0;
    // True for a plug-in that runs inside a host's modal dialog and shows no
    // windows of its own.
    virtual bool IsPluginMode() = 0;
    // 0 started, 1 failed or nothing offered, 2 refused by the server as busy,
    // 3 cancelled by the user.
    virtual int InitScan(const VEQTypes::ScanInitiateAttributes& attributes) = 0;
    // 1 when the download of the scanned job started, 0 otherwise.
    virtual int OnScanCompleted() = 0;
    virtual bool OnDownloadCompleted() = 0;
    // 0 started, 1 failed or no mailbox, 3 cancelled by the user.
    virtual int InitMailBoxRetrive(std::shared_ptr<MailBox> mailbox,
                                   const VEQTypes::VEQScannedJob& job) = 0;

protected:
    // Owners hold the concrete type; nobody deletes through this interface.
    ~IPlugin() = default;
};
