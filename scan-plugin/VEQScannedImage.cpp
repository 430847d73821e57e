#include "VEQScannedImage.h"

#include <cstdio>

#include <wx/dir.h>
#include <wx/filefn.h>
#include <wx/filename.h>

#include "VEQPluginUtil.h"

namespace veq {

namespace {

constexpr size_t kReadChunk = 1048576;

bool SameFolder(const wxString& left, const wxString& right) {
    wxFileName a = wxFileName::DirName(left);
    wxFileName b = wxFileName::DirName(right);
    a.Normalize(wxPATH_NORM_DOTS | wxPATH_NORM_ABSOLUTE);
    b.Normalize(wxPATH_NORM_DOTS | wxPATH_NORM_ABSOLUTE);
    return a.GetFullPath() == b.GetFullPath();
}

}  // namespace

VEQScannedImageWithFileBuffer::VEQScannedImageWithFileBuffer(types::FileFormat format,
                                                             VEQScannedImageSourceType sourceType,
                                                             const wxString& path)
    : VEQScannedImage(format, sourceType), m_path(path), m_loaded(false) {}

VEQScannedImageWithFileBuffer::~VEQScannedImageWithFileBuffer() {
    if (wxFileName::Exists(m_path)) {
        wxRemoveFile(m_path);
    }
    const wxString folder = wxFileName(m_path).GetPath(wxPATH_GET_VOLUME);
    if (folder.empty() || SameFolder(folder, VEQPluginUtil::GetCacheDirectory())) {
        return;
    }
    wxDir dir(folder);
    if (dir.IsOpened() && !dir.HasFiles()) {
        wxRmdir(folder);
    }
}

std::shared_ptr<std::vector<unsigned char>> VEQScannedImageWithFileBuffer::GetImageData() {
    if (m_loaded || !wxFileName::Exists(m_path)) {
        return m_data;
    }
    FILE* file = std::fopen(m_path.utf8_str(), "rb");
    if (!file) {
        return m_data;
    }
    long length = -1;
    if (std::fseek(file, 0, SEEK_END) == 0) {
        length = std::ftell(file);
        std::fseek(file, 0, SEEK_SET);
    }
    if (length < 1) {
        std::fclose(file);
        return std::shared_ptr<std::vector<unsigned char>>();
    }
    auto data = std::make_shared<std::vector<unsigned char>>();
    data->reserve(static_cast<size_t>(length));
    std::vector<unsigned char> chunk(kReadChunk);
    for (;;) {
        const size_t read = std::fread(chunk.data(), 1, chunk.size(), file);
        if (read == 0) {
            break;
        }
        data->insert(data->end(), chunk.begin(), chunk.begin() + static_cast<long>(read));
    }
    std::fclose(file);
    m_data = data;
    m_loaded = true;
    return m_data;
}

VEQScannedImageSourceType VEQScannedImageWithFileBuffer::GetImageSourceType() {
    return m_sourceType;
}

}  // namespace veq
