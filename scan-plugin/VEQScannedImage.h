// One scanned image that a scan session produced, as the plug-in host reads it.
#pragma once

#include <memory>
#include <vector>

#include <wx/string.h>

#include "VEQPluginExport.h"
#include "VEQPluginTypes.h"

namespace veq {

enum VEQScannedImageSourceType : int {
    VEQScannedImageSourceScan = 0,
    VEQScannedImageSourceMailbox = 1,
    VEQScannedImageSourceNone = 2  // nothing started yet
};

// Header-only, so that a host can hold images without linking the plug-in.
class VEQScannedImage {
public:
    VEQScannedImage(types::FileFormat format, VEQScannedImageSourceType sourceType)
        : m_format(format), m_sourceType(sourceType) {}
    virtual ~VEQScannedImage() = default;
    VEQScannedImage(const VEQScannedImage&) = delete;
    VEQScannedImage& operator=(const VEQScannedImage&) = delete;

    virtual types::FileFormat GetType() const { return m_format; }
    // The image's bytes; an empty pointer when there are none (test it).
    virtual std::shared_ptr<std::vector<unsigned char>> GetImageData() = 0;
    virtual VEQScannedImageSourceType GetImageSourceType() = 0;

protected:
    types::FileFormat m_format;
    VEQScannedImageSourceType m_sourceType;
};

// An image kept in a file of the plug-in's cache folder: read on first use,
// the file (and its session folder once empty) removed when the image goes.
class VEQPLUGIN_API VEQScannedImageWithFileBuffer : public VEQScannedImage {
public:
    VEQScannedImageWithFileBuffer(types::FileFormat format, VEQScannedImageSourceType sourceType,
                                  const wxString& path);
    ~VEQScannedImageWithFileBuffer() override;

    std::shared_ptr<std::vector<unsigned char>> GetImageData() override;
    VEQScannedImageSourceType GetImageSourceType() override;

    const wxString& GetPath() const { return m_path; }

private:
    wxString m_path;
    std::shared_ptr<std::vector<unsigned char>> m_data;
    bool m_loaded;
};

}  // namespace veq
