#include "StatusImage.h"

#include <wx/image.h>
#include <wx/mstream.h>

wxBitmap LoadStatusImage() {
    wxMemoryInputStream stream(g_statusImage, g_statusImageSize);
    wxImage image(stream, wxBITMAP_TYPE_PNG);
    return image.IsOk() ? wxBitmap(image) : wxBitmap();
}
