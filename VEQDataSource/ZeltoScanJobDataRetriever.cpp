#include "ZeltoScanJobDataRetriever.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include <wx/image.h>
#include <wx/log.h>
#include <wx/mstream.h>

#include "JobDataStream.h"
#include "SdkText.h"

namespace {

// The conversion needs both handlers; a host that registered them already keeps its own.
void EnsureImageHandlers() {
    static std::once_flag once;
    std::call_once(once, []() {
        if (!wxImage::FindHandler(wxBITMAP_TYPE_JPEG)) {
            wxImage::AddHandler(new wxJPEGHandler);
        }
        if (!wxImage::FindHandler(wxBITMAP_TYPE_BMP)) {
            wxImage::AddHandler(new wxBMPHandler);
        }
    });
}

bool IsSingleImageFormat(VEQTypes::FileFormat format) {
    return format == VEQTypes::JPEG || format == VEQTypes::BMP || format == VEQTypes::RAW;
}

}  // namespace

ZeltoScanJobDataRetriever::ZeltoScanJobDataRetriever(
    Server* server, const wxString& mailboxName, const wxString& password,
    const VEQTypes::VEQScannedJob& job, const VEQTypes::ScanRetriveAttribute& attributes)
    : ScanJobDataRetriever(attributes),
      m_valid(attributes.m_jobId >= 0 &&
              !(attributes.m_pageIndex == 0 && IsSingleImageFormat(attributes.m_format))),
      m_job(job),
      m_fetched(false),
      m_convertedOffset(0) {
    // BMP is asked for as JPEG and converted here.
    const VEQTypes::FileFormat requested =
        attributes.m_format == VEQTypes::BMP ? VEQTypes::JPEG : attributes.m_format;
    // Converted from copies: the mailbox's own texts may be converted on other threads at once.
    m_stream.reset(new JobDataStream(server, sdktext::ToUTF8(wxString(mailboxName)),
                                     sdktext::ToUTF8(wxString(password)), attributes.m_jobId,
                                     requested, attributes.m_pageIndex));
}

ZeltoScanJobDataRetriever::~ZeltoScanJobDataRetriever() = default;

bool ZeltoScanJobDataRetriever::GetData(std::vector<char>& data, int& length) {
    if (!m_valid) {
        return false;
    }
    return m_attributes.m_format == VEQTypes::BMP ? GetNonVelloraSupportedData(data, length)
                                                  : GetVelloraSupportedData(data, length);
}

bool ZeltoScanJobDataRetriever::GetVelloraSupportedData(std::vector<char>& data, int& length) {
    data.resize(JobDataStream::kChunkSize);
    return m_stream->ReadNext(data.data(), JobDataStream::kChunkSize, length) == 0 && length >= 1;
}

bool ZeltoScanJobDataRetriever::GetNonVelloraSupportedData(std::vector<char>& data,
                                                           int& length) {
    if (!m_fetched) {
        FetchAndConvert();
    }
    const std::size_t remaining = m_convertedData.size() - m_convertedOffset;
    const std::size_t count =
        std::min(remaining, static_cast<std::size_t>(JobDataStream::kChunkSize));
    length = static_cast<int>(count);
    if (count == 0) {
        return false;
    }
    data.resize(count);
    std::memcpy(data.data(), m_convertedData.data() + m_convertedOffset, count);
    m_convertedOffset += count;
    return true;
}

void ZeltoScanJobDataRetriever::FetchAndConvert() {
    m_fetched = true;
    std::vector<char> jpeg;
    std::vector<char> chunk(JobDataStream::kChunkSize);
    for (;;) {
        int length = 0;
        if (m_stream->ReadNext(chunk.data(), JobDataStream::kChunkSize, length) != 0) {
            return;
        }
        if (length == 0) {
            break;
        }
        jpeg.insert(jpeg.end(), chunk.begin(), chunk.begin() + length);
    }
    if (!JpegToBMP(jpeg, m_convertedData)) {
        m_convertedData.clear();
    }
}

bool ZeltoScanJobDataRetriever::JpegToBMP(const std::vector<char>& jpeg, std::vector<char>& bmp) {
    EnsureImageHandlers();
    wxLogNull quiet;  // a broken image is a false result, not a message box
    wxMemoryInputStream input(jpeg.data(), jpeg.size());
    wxImage image;
    if (jpeg.empty() || !image.LoadFile(input, wxBITMAP_TYPE_JPEG) || !image.IsOk()) {
        return false;
    }
    wxMemoryOutputStream output;
    if (!image.SaveFile(output, wxBITMAP_TYPE_BMP)) {
        return false;
    }
    bmp.resize(output.GetSize());
    if (!bmp.empty()) {
        output.CopyTo(bmp.data(), bmp.size());
    }
    return !bmp.empty();
}
