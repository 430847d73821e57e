// Keys and values of scan attributes and the file-format key texts, shared as
// exported strings by everything that links the data source.
#pragma once

#include <wx/string.h>

#include "VEQDataSourceExport.h"

VEQDATASOURCE_API extern const wxString g_keyFile_Format;     // "FILE_FORMAT"
VEQDATASOURCE_API extern const wxString g_keyPDF;             // "PDF"
VEQDATASOURCE_API extern const wxString g_keyTIFF;            // "TIFF"
VEQDATASOURCE_API extern const wxString g_keyJPEG;            // "JPEG"
VEQDATASOURCE_API extern const wxString g_keyBMP;             // "BMP"
VEQDATASOURCE_API extern const wxString g_keyRAW;             // "RAW"
VEQDATASOURCE_API extern const wxString g_keyXPS;             // "XPS"
VEQDATASOURCE_API extern const wxString g_keyCOMPACT_PDF;     // "COMPACT_PDF"
VEQDATASOURCE_API extern const wxString g_keyCOMPACT_XPS;     // "COMPACT_XPS"
VEQDATASOURCE_API extern const wxString g_keyScanSource;      // "SCAN_SOURCE"
VEQDATASOURCE_API extern const wxString g_keyPlaten;          // "PLATEN"
VEQDATASOURCE_API extern const wxString g_keyAPF;             // "ADF"
VEQDATASOURCE_API extern const wxString g_keyPageSize;        // "PAGESIZE"
VEQDATASOURCE_API extern const wxString g_keyResolution;      // "RESOLUTION"
VEQDATASOURCE_API extern const wxString g_keySidesToScan;     // "SIDES_TO_SCAN"
VEQDATASOURCE_API extern const wxString g_keyScanSingleSide;  // "SCAN_SINGLE_SIDE"
VEQDATASOURCE_API extern const wxString g_keyScanDoubleSide;  // "SCAN_DOUBLE_SIDE"
VEQDATASOURCE_API extern const wxString g_keyOrientation;     // "ORIENTATION"
VEQDATASOURCE_API extern const wxString g_keyColorMode;       // "COLOR_MODE"
VEQDATASOURCE_API extern const wxString g_keyColor;           // "COLOR"
VEQDATASOURCE_API extern const wxString g_keyGrayScale;       // "GRAYSCALE"
VEQDATASOURCE_API extern const wxString g_keyBlack_White;     // "BLACK_WHITE"
