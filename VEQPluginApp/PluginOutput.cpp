#include "PluginOutput.h"

#include <cstring>
#include <string>

#include "Logger.h"
#include "WholeFile.h"

wxString ExtensionOf(const FormatTable& formats, veq::types::FileFormat format) {
    for (const auto& entry : formats) {
        if (entry.first == format) {
            return entry.second;
        }
    }
    return wxString();
}

wxString OutputFileName(const wxString& folder, int sourceType, size_t number, const wxString& extension) {
    wxString prefix;
    if (sourceType == veq::VEQScannedImageSourceMailbox) {
        prefix = "Mailbox_";
    } else if (sourceType == veq::VEQScannedImageSourceScan || sourceType == veq::VEQScannedImageSourceNone) {
        prefix = "Scan_";
    }
    return folder + prefix + "image" + wxString::Format("%zu", number) + "." + extension;
}

OutputReport WriteScannedImages(const wxString& folder,
                                const std::vector<std::shared_ptr<veq::VEQScannedImage>>& images,
                                const FormatTable& formats) {
    OutputReport report;
    for (size_t i = 0; i < images.size(); ++i) {
        veq::VEQScannedImage& image = *images[i];
        const wxString path =
            OutputFileName(folder, image.GetImageSourceType(), i + 1, ExtensionOf(formats, image.GetType()));
        std::shared_ptr<std::vector<unsigned char>> data = image.GetImageData();
        if (!data || data->empty()) {
            VEQLOG(Error) << "Image " << static_cast<int>(i + 1) << " has no data, " << path << " not written";
            ++report.m_failed;
            continue;
        }
        // Whole or not at all, and never through a link planted at the name.
        const int error = WriteFileWhole(std::string(path.utf8_str()), data->data(), data->size(), 0666);
        if (error != 0) {
            VEQLOG(Error) << "Cannot write " << path << " completely: " << std::strerror(error);
            ++report.m_failed;
            continue;
        }
        ++report.m_written;
    }
    return report;
}
