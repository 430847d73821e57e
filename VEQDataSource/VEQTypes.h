// Value types that every user of the data source shares: file formats, the
// connection state of a server, scanned jobs and what to retrieve of them.
#pragma once

#include <cstdint>
#include <map>

#include <wx/string.h>

#include "ScannerAttribute.h"
#include "VEQDataSourceExport.h"

namespace VEQTypes {

enum FileFormat : int {
    PDF = 0,
    TIFF = 1,
    JPEG = 2,
    XPS = 3,
    BMP = 4,
    RAW = 5,
    COMPACT_PDF = 6,
    COMPACT_XPS = 7
};

// Connection state of a server object; DISCONNECTED is the initial state.
enum ServerStatus : int {
    CONNECTING = 0,
    CONNECTED = 1,
    DISCONNECTING = 2,
    DISCONNECTED = 3
};

// One scanned job in a mailbox.
struct VEQDATASOURCE_API VEQScannedJob {
    int m_id = 0;
    wxString m_name;
    int m_pageCount = 0;
    std::uint64_t m_size = 0;  // bytes
    wxString m_sizeText;       // the size formatted in megabytes
    long m_finishTime = 0;     // seconds since the epoch, as the server reports it
    wxString m_dateText;       // the finish time formatted for display
};

// What to retrieve of a job: page 0 is the whole job, pages count from 1.
struct VEQDATASOURCE_API ScanRetriveAttribute {
    FileFormat m_format = PDF;
    int m_pageIndex = 0;
    int m_jobId = 0;
};

// The attributes of a scan to start.
struct VEQDATASOURCE_API ScanInitiateAttributes {
    ScannerAttribute m_scanSource;
    ScannerAttribute m_pageSize;
    ScannerAttribute m_resolution;
    ScannerAttribute m_sidesToScan;
    ScannerAttribute m_colorMode;
    ScannerAttribute m_orientation;
};

// The key text of a format ("PDF", "COMPACT_XPS", ...); empty outside 0 to 7.
VEQDATASOURCE_API wxString ToString(FileFormat format);

// Key text to format, compared exactly. "BMP" is deliberately not in it: the
// server never offers BMP, the client makes it from JPEG.
VEQDATASOURCE_API extern const std::map<wxString, FileFormat> g_fileFormats;

}  // namespace VEQTypes
