// The scan plug-in's IPlugin: the panel in the plug-in dialog calls it to
// pick the server, scan, download the scanned job page by page into a fresh
// session folder of the cache, and collect the downloaded pages as images.
#pragma once

#include <memory>
#include <vector>

#include <wx/filename.h>
#include <wx/string.h>

#include "IPlugin.h"
#include "VEQPluginExport.h"
#include "VEQPluginTypes.h"
#include "VEQScannedImage.h"

namespace veq {

class VEQPLUGIN_API VEQUIPlugin : public IPlugin {
public:
    explicit VEQUIPlugin(types::FileFormat format);

    bool SetServer(const wxString& ip) override;
    std::shared_ptr<Server> GetServer() override;
    bool IsDriverMode() override;
    bool IsPluginMode() override;
    int InitScan(const VEQTypes::ScanInitiateAttributes& attributes) override;
    int OnScanCompleted() override;
    bool OnDownloadCompleted() override;
    int InitMailBoxRetrive(std::shared_ptr<MailBox> mailbox, const VEQTypes::VEQScannedJob& job) override;

    std::vector<std::shared_ptr<VEQScannedImage>> GetScannedImages();

    // The data source's format for a plug-in format: pdf, tiff or jpeg alike.
    static VEQTypes::FileFormat PluginToVEQFormat(types::FileFormat format);
    // Appends an image for every "cache" file of the session file's folder, in
    // page order (image1, image2, ..., image10).
    void ScanDirectoryForImages(const wxFileName& sessionFile,
                                std::vector<std::shared_ptr<VEQScannedImage>>& images);

private:
    types::FileFormat m_format;
    std::vector<std::shared_ptr<VEQScannedImage>> m_images;
    std::shared_ptr<Server> m_server;
    wxString m_sessionFile;
    VEQTypes::ScanRetriveAttribute m_retrieveAttribute;
    VEQScannedImageSourceType m_sourceType;
};

}  // namespace veq
