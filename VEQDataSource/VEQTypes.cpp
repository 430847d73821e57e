// The exported key strings and the format table. Both live in this one unit so
// that the table is built after the strings it is made of.
#include "VEQTypes.h"

#include "VEQAttributeKeys.h"

const wxString g_keyFile_Format("FILE_FORMAT");
const wxString g_keyPDF("PDF");
const wxString g_keyTIFF("TIFF");
const wxString g_keyJPEG("JPEG");
const wxString g_keyBMP("BMP");
const wxString g_keyRAW("RAW");
const wxString g_keyXPS("XPS");
const wxString g_keyCOMPACT_PDF("COMPACT_PDF");
const wxString g_keyCOMPACT_XPS("COMPACT_XPS");
const wxString g_keyScanSource("SCAN_SOURCE");
const wxString g_keyPlaten("PLATEN");
const wxString g_keyAPF("ADF");
const wxString g_keyPageSize("PAGESIZE");
const wxString g_keyResolution("RESOLUTION");
const wxString g_keySidesToScan("SIDES_TO_SCAN");
const wxString g_keyScanSingleSide("SCAN_SINGLE_SIDE");
const wxString g_keyScanDoubleSide("SCAN_DOUBLE_SIDE");
const wxString g_keyOrientation("ORIENTATION");
const wxString g_keyColorMode("COLOR_MODE");
const wxString g_keyColor("COLOR");
const wxString g_keyGrayScale("GRAYSCALE");
const wxString g_keyBlack_White("BLACK_WHITE");

namespace VEQTypes {

const std::map<wxString, FileFormat> g_fileFormats = {
    {g_keyPDF, PDF},
    {g_keyTIFF, TIFF},
    {g_keyJPEG, JPEG},
    {g_keyXPS, XPS},
    {g_keyRAW, RAW},
    {g_keyCOMPACT_PDF, COMPACT_PDF},
    {g_keyCOMPACT_XPS, COMPACT_XPS},
};

wxString ToString(FileFormat format) {
    switch (format) {
        case PDF: return g_keyPDF;
        case TIFF: return g_keyTIFF;
        case JPEG: return g_keyJPEG;
        case XPS: return g_keyXPS;
        case BMP: return g_keyBMP;
        case RAW: return g_keyRAW;
        case COMPACT_PDF: return g_keyCOMPACT_PDF;
        case COMPACT_XPS: return g_keyCOMPACT_XPS;
    }
    return wxString();
}

}  // namespace VEQTypes
