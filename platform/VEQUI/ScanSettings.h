// The choices a scan offers, read from the scanner's capability, and the
// attributes of a scan made from the chosen ones.
#pragma once

#include <utility>
#include <vector>

#include "ScannerAttribute.h"
#include "ScannerCapability.h"
#include "VEQTypes.h"

struct ScanSettingOptions {
    std::vector<ScannerAttribute> m_sources;
    std::vector<ScannerAttribute> m_pageSizes;
    std::vector<ScannerAttribute> m_resolutions;
    std::vector<ScannerAttribute> m_sides;
    std::vector<ScannerAttribute> m_colorModes;
    std::vector<ScannerAttribute> m_orientations;
    size_t m_defaultResolution = 0;  // index into m_resolutions

    // forcedFormat {true, JPEG} leaves out the black-and-white mode, which a
    // JPEG result cannot carry.
    static ScanSettingOptions FromCapability(ScannerCapability& capability,
                                             const std::pair<bool, VEQTypes::FileFormat>& forcedFormat);
};

// One index per list (a list without entries ignores its index and gives an
// empty attribute).
struct ScanSettingSelection {
    size_t m_source = 0;
    size_t m_pageSize = 0;
    size_t m_resolution = 0;
    size_t m_sides = 0;
    size_t m_colorMode = 0;
    size_t m_orientation = 0;

    // The scanner's defaults: the first entry of each list, the default resolution.
    static ScanSettingSelection Defaults(const ScanSettingOptions& options);
};

VEQTypes::ScanInitiateAttributes MakeScanAttributes(const ScanSettingOptions& options,
                                                    const ScanSettingSelection& selection);
