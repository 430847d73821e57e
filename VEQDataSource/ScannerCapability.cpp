#include "ScannerCapability.h"

ScannerCapability::ScannerCapability() = default;

ScannerCapability::~ScannerCapability() = default;
