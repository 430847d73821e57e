#include "VEQUILaunchContext.h"

VEQUILaunchContext::VEQUILaunchContext() = default;
VEQUILaunchContext::~VEQUILaunchContext() = default;

ZeltoVEQUILaunchContext::ZeltoVEQUILaunchContext() : m_format(false, VEQTypes::PDF) {}
ZeltoVEQUILaunchContext::~ZeltoVEQUILaunchContext() = default;

void ZeltoVEQUILaunchContext::SetFormat(const std::pair<bool, VEQTypes::FileFormat>& format) {
    m_format = format;
}

const std::pair<bool, VEQTypes::FileFormat>& ZeltoVEQUILaunchContext::GetFormat() const {
    return m_format;
}
