// Percentages of a job save, in 64-bit arithmetic: jobs above 21 MB already
// overflow 32 bits once multiplied by 100.
#pragma once

#include <cstdint>

#include "VEQDataSourceExport.h"

class VEQDATASOURCE_API SaveProgress {
public:
    SaveProgress() = delete;

    // done * 100 / total, at most 100; 0 for a total of 0.
    static int TransferPercent(std::uint64_t done, std::uint64_t total);
    // page * 100 / pages (integer division); 0 for no pages.
    static int PagePercent(int page, int pages);
};
