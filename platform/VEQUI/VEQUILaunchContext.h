// What a host tells the panel about the session it runs.
#pragma once

#include <utility>

#include "VEQTypes.h"
#include "VEQUIExport.h"

class VEQUI_API VEQUILaunchContext {
public:
    VEQUILaunchContext();
    virtual ~VEQUILaunchContext();
};

class VEQUI_API ZeltoVEQUILaunchContext : public VEQUILaunchContext {
public:
    ZeltoVEQUILaunchContext();
    ~ZeltoVEQUILaunchContext() override;

    // {true, format}: the session's result must come in that format, so the
    // panel offers only settings that the format can carry.
    void SetFormat(const std::pair<bool, VEQTypes::FileFormat>& format);
    const std::pair<bool, VEQTypes::FileFormat>& GetFormat() const;

private:
    std::pair<bool, VEQTypes::FileFormat> m_format;
};
