// The page raster is taken at 100 dpi; page lengths in document units follow.
#pragma once

#include <cstdint>
#include <string>

namespace zeltosim::detail {

constexpr int kDotsPerInch = 100;

// The length of `pixels` in units of 1/unitsPerInch inch, as decimal text with
// at most two decimals ("612", "793.44").
inline std::string PageUnits(int pixels, int unitsPerInch) {
    uint64_t hundredths = uint64_t(pixels) * unitsPerInch * 100 / kDotsPerInch;
    std::string text = std::to_string(hundredths / 100);
    uint64_t fraction = hundredths % 100;
    if (fraction != 0) {
        text += '.';
        text += static_cast<char>('0' + fraction / 10);
        if (fraction % 10 != 0) text += static_cast<char>('0' + fraction % 10);
    }
    return text;
}

}  // namespace zeltosim::detail
