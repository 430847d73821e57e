// The scanner capability of a Zelto controller, computed once from the scan
// attribute set that the server reports at login; afterwards it only answers.
#pragma once

#include <map>
#include <utility>
#include <vector>

#include <wx/string.h>

#include "ScannerCapability.h"
#include "VEQDataSourceExport.h"

class Server;

class VEQDATASOURCE_API ZeltoScannerCapability : public ScannerCapability {
public:
    // Display texts come from the server's locale component; without a server
    // (or a locale component) a value is shown as it stands.
    ZeltoScannerCapability(Server* server, const std::map<wxString, wxString>& scanAttributes,
                           const std::map<wxString, wxString>& serverFeatures);
    ~ZeltoScannerCapability() override;

    bool IsVeqoraEnabled() override;
    const std::vector<ScannerAttribute>& GetScanSources() override;
    const std::vector<ScannerAttribute>& GetValidPageSizes() override;
    // Largest first; values that are not numbers come last in their listed order.
    const std::vector<ScannerAttribute>& GetValidResolutions() override;
    const std::vector<ScannerAttribute>& GetSidesToScanOption() override;
    const std::vector<ScannerAttribute>& GetVEQColorModes() override;
    const std::vector<ScannerAttribute>& GetSupportedOrientation() override;
    std::pair<int, int> GetMaxResolution() override;
    ScannerAttribute GetDefaultResolution() override;
    std::vector<VEQTypes::FileFormat> GetSupportedFileFormat() override;
    // Without JPEG (its first entry) for a black-and-white scan.
    std::vector<VEQTypes::FileFormat> GetSupportedFileFormat(
        const VEQTypes::ScanInitiateAttributes& attributes) override;
    const VEQTypes::FileFormat& GetDefaultFileFormat() override;
    bool MailBoxAuthenticationSupported() override;
    bool CanServerSupportEngineBox() override;
    bool CanServerSupportEngineAuthentication() override;
    wxString GetEngineAuth() override;
    bool CanServerSupportsAccountTrackLogin() override;

    // The values under key, key:1 ... key:n (n from "N_" + key), each text once,
    // in the order first seen; nothing when the count is missing or not positive.
    static void GetList(const std::map<wxString, wxString>& set, const wxString& key,
                        std::vector<wxString>& out);
    // Present with the value "YES" in any letter case.
    bool IsScanAttributeEnabled(const wxString& key) const;

private:
    void Initialize();
    void ExtractVeqoraCapability();
    void ExtractScanSourceAttributes();
    void ExtractPageSizesAttributes();
    void ExtractValidResolutionAttributes();
    void ExtractScanOptionsAttributes();
    void ExtractColorModesAttributes();
    void ExtractOrientationAttributes();
    void ExtractMaxResolutionAttribute();
    void ExtractSupportedFileFormatAttribute();

    // One entry per listed value of key, shown as the server's localized text.
    std::vector<ScannerAttribute> MakeLocalizedList(ScannerAttribute::ScannerAttributeType type,
                                                    const wxString& key) const;
    wxString Attribute(const wxString& key) const;

    bool m_scanInitiationEnabled;
    std::vector<ScannerAttribute> m_scanSources;
    std::vector<ScannerAttribute> m_pageSizes;
    std::vector<ScannerAttribute> m_resolutions;
    std::vector<ScannerAttribute> m_sides;
    std::vector<ScannerAttribute> m_colorModes;
    std::vector<ScannerAttribute> m_orientations;
    std::pair<int, int> m_maxResolution;
    ScannerAttribute m_defaultResolution;
    std::vector<VEQTypes::FileFormat> m_fileFormats;
    VEQTypes::FileFormat m_defaultFileFormat;
    Server* m_server;  // not owned
    std::map<wxString, wxString> m_scanAttributes;
    std::map<wxString, wxString> m_serverFeatures;
    bool m_mailboxAuthenticationSupported;
    bool m_engineBoxSupported;
    bool m_engineAuthenticationSupported;
    wxString m_engineAuthentication;
    bool m_accountTrackLoginSupported;
};
