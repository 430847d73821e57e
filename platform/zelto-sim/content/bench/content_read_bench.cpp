// Reads 512 MiB documents in 1 MiB chunks, as the simulated controller serves
// them, and prints the throughput beside that of copying 1 MiB buffers; then
// times the making of compressed 300 and 600 dpi pages, which a job's size needs.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "JobContent.h"

namespace {

constexpr size_t kChunk = 1 << 20;
constexpr uint64_t kTotal = uint64_t(512) << 20;

double MegabytesPerSecond(uint64_t bytes, std::chrono::steady_clock::duration elapsed) {
    return bytes / 1e6 / std::chrono::duration<double>(elapsed).count();
}

void Report(const char* what, uint64_t bytes, std::chrono::steady_clock::duration elapsed) {
    std::printf("%-44s %8.0f MB/s  (%llu bytes)\n", what, MegabytesPerSecond(bytes, elapsed),
                static_cast<unsigned long long>(bytes));
}

void ReadWhole(const char* what, const zeltosim::JobSpec& spec, zeltosim::ContentFormat format, int page = 0) {
    auto started = std::chrono::steady_clock::now();
    auto document = zeltosim::JobDocument::Make(spec, format, page);
    if (!document) {
        std::printf("%s: no document\n", what);
        return;
    }
    std::vector<char> buffer(kChunk);
    uint64_t offset = 0;
    unsigned sum = 0;
    while (size_t count = document->Read(offset, buffer.data(), buffer.size())) {
        offset += count;
        sum += static_cast<unsigned char>(buffer[count / 2]);
    }
    Report(what, offset, std::chrono::steady_clock::now() - started);
    if (sum == 1) std::printf(" ");  // keeps the reads observable
}

}  // namespace

int main() {
    std::vector<char> source(kChunk, 'x'), target(kChunk);
    auto started = std::chrono::steady_clock::now();
    for (uint64_t done = 0; done < kTotal; done += kChunk) {
        source[done / kChunk % kChunk] ^= 1;
        std::memcpy(target.data(), source.data(), kChunk);
    }
    Report("memcpy of 1 MiB chunks (reference)", kTotal, std::chrono::steady_clock::now() - started);

    zeltosim::JobSpec pixels;  // one page of 512 MiB of pixels, drawn row by row
    pixels.widthPx = 12288;
    pixels.heightPx = 14564;
    ReadWhole("RAW, one page of 512 MiB of pixels", pixels, zeltosim::ContentFormat::RAW, 1);

    zeltosim::JobSpec padded;  // 8 letter pages of 64 MiB each, almost all padding (the images are compressed)
    padded.pages = 8;
    padded.paddingBytesPerPage = uint64_t(64) << 20;
    ReadWhole("PDF, 8 letter pages with padding", padded, zeltosim::ContentFormat::PDF);
    ReadWhole("XPS, 8 letter pages with padding", padded, zeltosim::ContentFormat::XPS);
    ReadWhole("COMPACT_XPS, 8 letter pages with padding", padded, zeltosim::ContentFormat::COMPACT_XPS);
    std::printf("target: well above loopback TCP throughput (about 2000 MB/s and more)\n");

    // Each page is compressed once, when its job's size is first asked for.
    for (int dpi : {300, 600}) {
        zeltosim::JobSpec scan;
        scan.pages = 5;
        scan.dpi = dpi;
        scan.widthPx = 17 * dpi / 2;
        scan.heightPx = 11 * dpi;
        auto started = std::chrono::steady_clock::now();
        auto document = zeltosim::JobDocument::Make(scan, zeltosim::ContentFormat::PDF, 0);
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        std::printf("making a 5-page letter PDF at %d dpi (%.0f MB of pixels): %6.3f s, %llu bytes\n", dpi,
                    5.0 * scan.widthPx * scan.heightPx * 3 / 1e6, seconds,
                    static_cast<unsigned long long>(document ? document->Size() : 0));
    }
    std::printf("target: a scan's job is ready well within the time of scanning its pages (0.5 s per page)\n");
    return 0;
}
