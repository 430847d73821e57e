#include "ResourceService.h"

#include <cstdint>
#include <map>
#include <string>
#include <utility>

#include <wx/gdicmn.h>
#include <wx/log.h>

#include "EmbeddedImages.h"

namespace {

// The name under which the service keeps its 32x32 white placeholder.
const char g_invalidFileName[] = "INVALID";

using EmbeddedBytes = std::pair<const unsigned char*, std::uint64_t>;
using ResourceMap = std::map<std::string, EmbeddedBytes>;

const ResourceMap& resource_map() {
    static const ResourceMap s_map = [] {
        ResourceMap rows;
        for (std::size_t i = 0; i < g_embeddedFileCount; ++i) {
            const EmbeddedFile& file = g_embeddedFiles[i];
            rows.emplace(file.key, EmbeddedBytes(file.data, file.size));
        }
        return rows;
    }();
    return s_map;
}

// The table key of a file name: in its last path component the text before
// the last "." and the text after it, lower-cased and joined by "_"
// ("icons/Help.PNG" gives "help_png"). A leading dot starts no extension.
std::string KeyOf(const wxString& fileName) {
    const wxString component = fileName.AfterLast('/');
    wxString name = component;
    wxString extension;
    const size_t dot = component.rfind('.');
    if (dot != wxString::npos && dot != 0) {
        name = component.substr(0, dot);
        extension = component.substr(dot + 1);
    }
    const wxString key = name.Lower() + "_" + extension.Lower();
    const wxScopedCharBuffer narrow = key.mb_str(wxConvLibc);
    return narrow.data() ? std::string(narrow.data(), narrow.length()) : std::string();
}

const EmbeddedBytes* FindFile(const wxString& fileName) {
    const ResourceMap& map = resource_map();
    const auto row = map.find(KeyOf(fileName));
    return row == map.end() ? nullptr : &row->second;
}

// The file decoded by whichever registered handler recognises it; its first
// image when it holds several. Not IsOk() when no handler accepts it.
wxImage Decode(const EmbeddedBytes& file) {
    wxMemoryInputStream stream(file.first, static_cast<size_t>(file.second));
    wxImage image;
    image.LoadFile(stream, wxBITMAP_TYPE_ANY);
    return image;
}

}  // namespace

ResourceService& ResourceService::Get() {
    static ResourceService s_instance;
    return s_instance;
}

ResourceService::ResourceService() {
    wxImage white(32, 32);
    white.SetRGB(wxRect(0, 0, 32, 32), 255, 255, 255);
    m_images.emplace(g_invalidFileName, white);
    m_bitmaps.emplace(g_invalidFileName, wxBitmap(white, wxBITMAP_SCREEN_DEPTH, 1.0));
}

const wxImage& ResourceService::GetImageResource(const wxString& fileName) {
    auto entry = m_images.find(fileName);
    if (entry == m_images.end()) {
        LoadImageResource(fileName);
        entry = m_images.find(fileName);
    }
    return entry->second;
}

const wxBitmap& ResourceService::GetBitmapResource(const wxString& fileName) {
    auto entry = m_bitmaps.find(fileName);
    if (entry == m_bitmaps.end()) {
        LoadBitmapResource(fileName);
        entry = m_bitmaps.find(fileName);
    }
    return entry->second;
}

void ResourceService::LoadImageResource(const wxString& fileName) {
    if (m_images.count(fileName)) return;
    wxLogNull quiet;
    const EmbeddedBytes* file = FindFile(fileName);
    m_images.emplace(fileName, file ? Decode(*file) : wxImage(16, 16));
}

void ResourceService::LoadBitmapResource(const wxString& fileName) {
    if (m_bitmaps.count(fileName)) return;
    wxLogNull quiet;
    const EmbeddedBytes* file = FindFile(fileName);
    if (!file) {
        m_bitmaps.emplace(fileName, wxBitmap(16, 16));
        return;
    }
    // A file that did not decode gives an invalid bitmap; converting the
    // invalid image would only raise a toolkit assertion.
    const wxImage image = Decode(*file);
    m_bitmaps.emplace(fileName, image.IsOk() ? wxBitmap(image, wxBITMAP_SCREEN_DEPTH, 1.0) : wxBitmap());
}

wxMemoryInputStream* ResourceService::GetResourceAsStream(const wxString& fileName) {
    const auto entry = m_streams.find(fileName);
    if (entry != m_streams.end()) return entry->second.get();
    wxLogNull quiet;
    const EmbeddedBytes* file = FindFile(fileName);
    std::unique_ptr<wxMemoryInputStream> stream;
    if (file) stream.reset(new wxMemoryInputStream(file->first, static_cast<size_t>(file->second)));
    return m_streams.emplace(fileName, std::move(stream)).first->second.get();
}
