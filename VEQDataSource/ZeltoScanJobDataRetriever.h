// The job-data retriever of a Zelto mailbox. Every format the server offers is
// read straight through; BMP, which the server never offers, is made here from
// the JPEG of the page.
#pragma once

#include <memory>
#include <vector>

#include <wx/string.h>

#include "ScanJobDataRetriever.h"
#include "VEQDataSourceExport.h"
#include "VEQTypes.h"

class JobDataStream;
class Server;

class VEQDATASOURCE_API ZeltoScanJobDataRetriever : public ScanJobDataRetriever {
public:
    // Invalid (delivering nothing) for a negative job id, and for page 0 of the
    // single-image formats JPEG, BMP and RAW.
    ZeltoScanJobDataRetriever(Server* server, const wxString& mailboxName,
                              const wxString& password, const VEQTypes::VEQScannedJob& job,
                              const VEQTypes::ScanRetriveAttribute& attributes);
    ~ZeltoScanJobDataRetriever() override;

    // Leaves data and length untouched for an invalid retriever.
    bool GetData(std::vector<char>& data, int& length) override;

    bool IsValid() const { return m_valid; }
    const VEQTypes::VEQScannedJob& GetJob() const { return m_job; }

    // Decodes a JPEG image and encodes it as BMP; false when either step fails.
    static bool JpegToBMP(const std::vector<char>& jpeg, std::vector<char>& bmp);

private:
    bool GetVelloraSupportedData(std::vector<char>& data, int& length);
    bool GetNonVelloraSupportedData(std::vector<char>& data, int& length);
    // The whole JPEG of the page, converted once; empty on any failure.
    void FetchAndConvert();

    bool m_valid;
    VEQTypes::VEQScannedJob m_job;
    std::unique_ptr<JobDataStream> m_stream;
    bool m_fetched;
    std::vector<char> m_convertedData;
    std::size_t m_convertedOffset;
};
