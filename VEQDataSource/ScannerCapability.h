// What the scanner of a connected server offers and which logins it supports.
#pragma once

#include <utility>
#include <vector>

#include <wx/string.h>

#include "ScannerAttribute.h"
#include "VEQDataSourceExport.h"
#include "VEQTypes.h"

class VEQDATASOURCE_API ScannerCapability {
public:
    ScannerCapability();
    virtual ~ScannerCapability();
    ScannerCapability(const ScannerCapability&) = delete;
    ScannerCapability& operator=(const ScannerCapability&) = delete;

    // Whether scans may be started from this client.
    virtual bool IsVeqoraEnabled() = 0;
    virtual const std::vector<ScannerAttribute>& GetScanSources() = 0;
    virtual const std::vector<ScannerAttribute>& GetValidPageSizes() = 0;
    virtual const std::vector<ScannerAttribute>& GetValidResolutions() = 0;
    virtual const std::vector<ScannerAttribute>& GetSidesToScanOption() = 0;
    virtual const std::vector<ScannerAttribute>& GetVEQColorModes() = 0;
    virtual const std::vector<ScannerAttribute>& GetSupportedOrientation() = 0;
    virtual std::pair<int, int> GetMaxResolution() = 0;
    virtual ScannerAttribute GetDefaultResolution() = 0;
    virtual std::vector<VEQTypes::FileFormat> GetSupportedFileFormat() = 0;
    // The formats offered for a scan with these attributes.
    virtual std::vector<VEQTypes::FileFormat> GetSupportedFileFormat(
        const VEQTypes::ScanInitiateAttributes& attributes) = 0;
    virtual const VEQTypes::FileFormat& GetDefaultFileFormat() = 0;
    virtual bool MailBoxAuthenticationSupported() = 0;
    virtual bool CanServerSupportEngineBox() = 0;
    virtual bool CanServerSupportEngineAuthentication() = 0;
    virtual wxString GetEngineAuth() = 0;
    virtual bool CanServerSupportsAccountTrackLogin() = 0;
};
