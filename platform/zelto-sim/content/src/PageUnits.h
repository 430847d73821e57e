// Page lengths in document units, from a raster's pixels and its resolution.
#pragma once

#include <cstdint>
#include <string>

namespace zeltosim::detail {

// The length of `pixels` at `dpi` in units of 1/unitsPerInch inch, as decimal
// text with at most two decimals ("612", "595.32").
inline std::string PageUnits(int pixels, int unitsPerInch, int dpi) {
    uint64_t hundredths = uint64_t(pixels) * unitsPerInch * 100 / uint64_t(dpi);
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
