// One controller as callers see it: its address and name, its connection
// state with the status signal, login and logout, what it reports about
// itself and its scan component.
#pragma once

#include <atomic>
#include <memory>

#include <boost/signals2/signal.hpp>
#include <wx/string.h>

#include "VEQDataSourceExport.h"
#include "VEQTypes.h"

class ScanAPIComponent;

class VEQDATASOURCE_API Server {
public:
    // What a server reports about itself.
    struct ServerInfo {
        wxString m_ip;       // the address at the time of the login
        wxString m_name;
        wxString m_model;
        long m_version = 0;  // major version, 0 when unknown
        int m_kind = 0;      // 1 below version 10; 2 from 10 with a scan-feature; else 0
    };

    // A column of the job list; only the size column can be hidden by a server.
    enum MailboxColumn : int {
        MAILBOX_COLUMN_NAME = 0,
        MAILBOX_COLUMN_PAGES = 1,
        MAILBOX_COLUMN_SIZE = 2,
        MAILBOX_COLUMN_DATE = 3
    };

    // Resolves a host name to its numeric address; a valid IPv4 text is kept.
    explicit Server(const wxString& address);
    virtual ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    const wxString& GetIP() const { return m_address; }
    const wxString& GetName() const { return m_name; }
    const wxString& GetConnectedUser() const { return m_connectedUser; }

    virtual int GetTimeAdjustment();
    virtual VEQTypes::ServerStatus GetServerStatus();
    virtual bool TryConnect(const wxString& ignored) = 0;
    virtual bool Connect(const wxString& user, const wxString& password, bool asynchronous) = 0;
    virtual bool Disconnect(bool asynchronous) = 0;
    virtual bool IsScanSupported() const = 0;
    virtual ServerInfo GetServerInfo() const = 0;
    virtual std::shared_ptr<ScanAPIComponent> GetScanAPI() = 0;
    virtual bool IsMailboxColumnHidden(const MailboxColumn& column) = 0;

    // Fires on a pool thread of the server, once per real change of the status.
    boost::signals2::signal<void(VEQTypes::ServerStatus)> m_serverStatusSignal;

protected:
    wxString m_address;
    wxString m_name;
    wxString m_connectedUser;
    // Written by callers, pool threads and SDK callback threads alike.
    std::atomic<int> m_status;
};
