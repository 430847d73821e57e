#include "ZipLayout.h"

#include "LittleEndian.h"

namespace zeltosim::detail {
namespace {

constexpr uint64_t kMaxOffset = 0xFFFFFFFFu;
constexpr size_t kMaxEntries = 0xFFFF;
constexpr uint32_t kVersion = 20;       // 2.0
constexpr uint32_t kDosTime = 0;        // 00:00:00
constexpr uint32_t kDosDate = 0x0021;   // 1980-01-01: no clock, same bytes every time

// The fields that the local header and the central directory share.
void AppendCommon(std::string& out, uint32_t crc, uint64_t size, const std::string& name) {
    AppendLE16(out, 0);  // flags
    AppendLE16(out, 0);  // stored
    AppendLE16(out, kDosTime);
    AppendLE16(out, kDosDate);
    AppendLE32(out, crc);
    AppendLE32(out, size);  // compressed
    AppendLE32(out, size);  // uncompressed
    AppendLE16(out, static_cast<uint32_t>(name.size()));
    AppendLE16(out, 0);  // extra field
}

}  // namespace

SegmentPtr ZipArchive(const std::vector<ZipEntry>& entries) {
    if (entries.size() > kMaxEntries) return nullptr;
    SegmentBuilder builder;
    std::string directory;
    for (const auto& entry : entries) {
        const uint64_t offset = builder.Offset();
        const uint64_t size = entry.data->Size();
        if (offset + 30 + entry.name.size() + size > kMaxOffset) return nullptr;
        const uint32_t crc = entry.data->Crc32();

        std::string local;
        AppendLE32(local, 0x04034B50);
        AppendLE16(local, kVersion);
        AppendCommon(local, crc, size, entry.name);
        builder.Append(local + entry.name);
        builder.Append(entry.data);

        AppendLE32(directory, 0x02014B50);
        AppendLE16(directory, kVersion);  // made by (MS-DOS attributes)
        AppendLE16(directory, kVersion);  // needed
        AppendCommon(directory, crc, size, entry.name);
        AppendLE16(directory, 0);  // comment
        AppendLE16(directory, 0);  // disk
        AppendLE16(directory, 0);  // internal attributes
        AppendLE32(directory, 0);  // external attributes
        AppendLE32(directory, offset);
        directory += entry.name;
    }
    const uint64_t directoryAt = builder.Offset();
    if (directoryAt + directory.size() + 22 > kMaxOffset) return nullptr;
    std::string end;
    AppendLE32(end, 0x06054B50);
    AppendLE16(end, 0);  // this disk
    AppendLE16(end, 0);  // disk with the directory
    AppendLE16(end, static_cast<uint32_t>(entries.size()));
    AppendLE16(end, static_cast<uint32_t>(entries.size()));
    AppendLE32(end, directory.size());
    AppendLE32(end, directoryAt);
    AppendLE16(end, 0);  // comment
    builder.Append(directory + end);
    return builder.Finish();
}

}  // namespace zeltosim::detail
