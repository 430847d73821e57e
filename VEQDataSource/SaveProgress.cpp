#include "SaveProgress.h"

int SaveProgress::TransferPercent(std::uint64_t done, std::uint64_t total) {
    if (total == 0) {
        return 0;
    }
    if (done >= total) {
        return 100;
    }
    // The product is taken in 128 bits so that no size overflows it.
    return static_cast<int>(static_cast<unsigned __int128>(done) * 100 / total);
}

int SaveProgress::PagePercent(int page, int pages) {
    if (pages <= 0) {
        return 0;
    }
    return static_cast<int>(static_cast<std::int64_t>(page) * 100 / pages);
}
