// The pictures that ship inside libVEQServices, handed out by file name
// ("zelto_scan_app.png") as a decoded image, a bitmap or a stream over the
// file's bytes. Each form is made on the first request for a name and kept
// until the process ends; a name without a file gets a placeholder, never an
// error. Decoding relies on the program's image handlers
// (wxInitAllImageHandlers). For the user-interface thread only.
#pragma once

#include <memory>
#include <unordered_map>

#include <wx/bitmap.h>
#include <wx/hashmap.h>
#include <wx/image.h>
#include <wx/mstream.h>
#include <wx/string.h>

#include "VEQServicesExport.h"

class VEQSERVICES_API ResourceService {
public:
    static ResourceService& Get();

    ResourceService(const ResourceService&) = delete;
    ResourceService& operator=(const ResourceService&) = delete;

    // The cached image for fileName: the file decoded (its first frame), an
    // invalid image when no decoder accepts it, or a 16x16 black image when no
    // file has that name. "INVALID" is a 32x32 white image.
    const wxImage& GetImageResource(const wxString& fileName);
    // The same for bitmaps; a name without a file gives an empty 16x16 bitmap.
    const wxBitmap& GetBitmapResource(const wxString& fileName);
    // A stream over the file's bytes, owned by the service and shared by every
    // caller of that name (its read position is never reset); null when no
    // file has that name.
    wxMemoryInputStream* GetResourceAsStream(const wxString& fileName);

    // The loading steps of the two getters; a name already cached is left as it is.
    void LoadImageResource(const wxString& fileName);
    void LoadBitmapResource(const wxString& fileName);

private:
    ResourceService();
    ~ResourceService() = default;

    // Keyed by the name exactly as the caller gave it (case and folder included).
    std::unordered_map<wxString, wxImage, wxStringHash, wxStringEqual> m_images;
    std::unordered_map<wxString, wxBitmap, wxStringHash, wxStringEqual> m_bitmaps;
    // Declared last so that the streams go first; a name without a file holds null.
    std::unordered_map<wxString, std::unique_ptr<wxMemoryInputStream>, wxStringHash, wxStringEqual>
        m_streams;
};
