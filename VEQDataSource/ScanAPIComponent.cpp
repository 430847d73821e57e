#include "ScanAPIComponent.h"

ScanAPIComponent::ScanAPIComponent() = default;

ScanAPIComponent::~ScanAPIComponent() = default;
