#include "ScanJobDataRetriever.h"

ScanJobDataRetriever::ScanJobDataRetriever(const VEQTypes::ScanRetriveAttribute& attributes)
    : m_attributes(attributes) {}

ScanJobDataRetriever::~ScanJobDataRetriever() = default;
