// Converts scan settings between the library's shape (ScannerAttribute, scan
// requests) and the SDK's attribute lists, and keeps a server's scan attribute
// and feature sets for lookups.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include <wx/string.h>

#include "ScannerAttribute.h"
#include "VEQDataSourceExport.h"
#include "VEQTypes.h"
#include "vellora.h"

class Server;

class VEQDATASOURCE_API ScanAttributeUtil {
public:
    using AttributePairs = std::vector<std::pair<wxString, wxString>>;

    // Frees an SDK attribute list made here (through VelloraUtil).
    struct ScanAttributesDeleter {
        void operator()(ScanAttributes* attributes) const;
    };
    using ScanAttributesPtr = std::unique_ptr<ScanAttributes, ScanAttributesDeleter>;

    explicit ScanAttributeUtil(Server* server);

    void SetAllScanAttributes(const std::map<wxString, wxString>& attributes);
    void SetServerFeatures(const std::map<wxString, wxString>& features);
    // Empty when the key is absent.
    wxString GetScanAttributeForKey(const wxString& key) const;
    wxString GetServerAttributeForKey(const wxString& key) const;

    // A new SDK list holding the pairs in order; free it through VelloraUtil
    // (or hold it in a ScanAttributesPtr).
    static ScanAttributes* MakeVelloraScanAttributes(const AttributePairs& pairs);
    // The destination of a data request: the caller, in format, page (0 = the
    // whole job): N_DEST, DEST:1, DEST_FORMAT:1, DEST_PAGE:1, DEST_ERR:1.
    static ScanAttributesPtr MakeDestinationAttributes(VEQTypes::FileFormat format, int page);
    // The SDK list of a scan request: source, resolution, page size, sides,
    // colour mode, orientation, then the user who runs the process.
    ScanAttributes* MakeVelloraScanInitiateAttributes(
        const VEQTypes::ScanInitiateAttributes& attributes) const;
    // The pairs behind MakeVelloraScanInitiateAttributes.
    AttributePairs MakeScanInitiatePairs(const VEQTypes::ScanInitiateAttributes& attributes) const;

    static void MakeScanSourceAttr(AttributePairs& pairs, const ScannerAttribute& attribute);
    static void MakeScanResAttr(AttributePairs& pairs, const ScannerAttribute& attribute);
    void MakeScanPageSizeAttr(AttributePairs& pairs, const ScannerAttribute& attribute) const;
    static void MakeScanSidesAttr(AttributePairs& pairs, const ScannerAttribute& attribute);
    static void MakeScanColorModeAttr(AttributePairs& pairs, const ScannerAttribute& attribute);
    static void MakeScanOrientationAttr(AttributePairs& pairs, const ScannerAttribute& attribute);
    static void MakeUserNameAttr(AttributePairs& pairs);

    // "UTF8_VERSION" present, a decimal integer and at least 2.
    static bool IsUTF8Supported(const std::map<wxString, wxString>& attributes);
    // The language of the server's locale component ("fr_FR"); empty without one.
    std::string GetCurrentLocaleString() const;
    // A server text in UTF-8, from Shift JIS for language "ja", else from Mac
    // Roman; output is the input itself when the server cannot convert it.
    void DecodeStringToUTF(const std::string& language, const std::string& input,
                           std::string& output, bool withBom) const;

private:
    mutable std::mutex m_mutex;  // guards both sets
    std::map<wxString, wxString> m_scanAttributes;
    std::map<wxString, wxString> m_serverFeatures;
    Server* m_server;  // not owned; reached for its locale component
};
