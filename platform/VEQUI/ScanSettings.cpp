#include "ScanSettings.h"

#include "VEQAttributeKeys.h"

namespace {

ScannerAttribute Pick(const std::vector<ScannerAttribute>& list, size_t index,
                      ScannerAttribute::ScannerAttributeType type, const wxString& key) {
    if (list.empty()) {
        return ScannerAttribute(type, key, wxString());
    }
    return index < list.size() ? list[index] : list.front();
}

}  // namespace

ScanSettingOptions ScanSettingOptions::FromCapability(
    ScannerCapability& capability, const std::pair<bool, VEQTypes::FileFormat>& forcedFormat) {
    ScanSettingOptions options;
    options.m_sources = capability.GetScanSources();
    options.m_pageSizes = capability.GetValidPageSizes();
    options.m_resolutions = capability.GetValidResolutions();
    options.m_sides = capability.GetSidesToScanOption();
    options.m_orientations = capability.GetSupportedOrientation();
    for (const ScannerAttribute& mode : capability.GetVEQColorModes()) {
        if (forcedFormat.first && forcedFormat.second == VEQTypes::JPEG &&
            mode.m_value == g_keyBlack_White) {
            continue;
        }
        options.m_colorModes.push_back(mode);
    }
    const ScannerAttribute defaultResolution = capability.GetDefaultResolution();
    for (size_t i = 0; i < options.m_resolutions.size(); ++i) {
        if (options.m_resolutions[i].m_value == defaultResolution.m_value) {
            options.m_defaultResolution = i;
            break;
        }
    }
    return options;
}

ScanSettingSelection ScanSettingSelection::Defaults(const ScanSettingOptions& options) {
    ScanSettingSelection selection;
    selection.m_resolution = options.m_defaultResolution;
    return selection;
}

VEQTypes::ScanInitiateAttributes MakeScanAttributes(const ScanSettingOptions& options,
                                                    const ScanSettingSelection& selection) {
    VEQTypes::ScanInitiateAttributes attributes;
    attributes.m_scanSource =
        Pick(options.m_sources, selection.m_source, ScannerAttribute::SCAN_SOURCE, g_keyScanSource);
    attributes.m_pageSize =
        Pick(options.m_pageSizes, selection.m_pageSize, ScannerAttribute::PAGE_SIZE, g_keyPageSize);
    attributes.m_resolution = Pick(options.m_resolutions, selection.m_resolution,
                                   ScannerAttribute::RESOLUTION, g_keyResolution);
    attributes.m_sidesToScan =
        Pick(options.m_sides, selection.m_sides, ScannerAttribute::SIDES, g_keySidesToScan);
    attributes.m_colorMode = Pick(options.m_colorModes, selection.m_colorMode,
                                  ScannerAttribute::COLOR_MODE, g_keyColorMode);
    attributes.m_orientation = Pick(options.m_orientations, selection.m_orientation,
                                    ScannerAttribute::ORIENTATION, g_keyOrientation);
    return attributes;
}
