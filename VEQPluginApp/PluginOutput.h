// Where VEQPluginApp writes the images a scan session produced:
// <folder>/<prefix>image<n>.<extension>, prefix "Mailbox_" for mailbox images,
// "Scan_" for scanned ones, n counting from 1 in list order.
#pragma once

#include <memory>
#include <vector>

#include <wx/string.h>

#include "CommandLineArguments.h"
#include "VEQScannedImage.h"

// The table's text for the format; empty for a format not in it.
wxString ExtensionOf(const FormatTable& formats, veq::types::FileFormat format);

// folder ends with a separator.
wxString OutputFileName(const wxString& folder, int sourceType, size_t number, const wxString& extension);

struct OutputReport {
    size_t m_written = 0;
    size_t m_failed = 0;  // no data, or the file could not be written completely
};

// Writes every image; an image without data or a file that cannot be written
// is logged and skipped, and the others still go out.
OutputReport WriteScannedImages(const wxString& folder,
                                const std::vector<std::shared_ptr<veq::VEQScannedImage>>& images,
                                const FormatTable& formats);
