#include "PageJpeg.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <list>
#include <mutex>
#include <tuple>
#include <vector>

#include <jpeglib.h>

#include "PageUnits.h"

namespace zeltosim::detail {
namespace {

constexpr int kQuality = 80;
constexpr size_t kCacheBytes = 64u << 20;

struct ErrorJump {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

void JumpOnError(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorJump*>(info->err)->jump, 1);
}

void IgnoreMessage(j_common_ptr, int) {}

using PictureKey = std::tuple<uint32_t, int, int, int, bool>;  // seed, page, width, height, colour

class JpegCache {
public:
    std::shared_ptr<const std::string> Get(const JobSpec& spec, int page) {
        PictureKey key{spec.seed, page, spec.widthPx, spec.heightPx, spec.color};
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
                if (it->first != key) continue;
                m_entries.splice(m_entries.begin(), m_entries, it);
                return it->second;
            }
        }
        // Encoded outside the lock; two threads asking at once both encode the same bytes.
        auto jpeg = EncodeJpeg(PagePicture(spec, page));
        if (!jpeg) return nullptr;
        std::lock_guard<std::mutex> lock(m_mutex);
        m_entries.emplace_front(key, jpeg);
        m_bytes += jpeg->size();
        while (m_bytes > kCacheBytes && m_entries.size() > 1) {
            m_bytes -= m_entries.back().second->size();
            m_entries.pop_back();
        }
        return jpeg;
    }

private:
    std::mutex m_mutex;
    std::list<std::pair<PictureKey, std::shared_ptr<const std::string>>> m_entries;  // most recent first
    size_t m_bytes = 0;
};

}  // namespace

std::shared_ptr<const std::string> EncodeJpeg(const PagePicture& picture) {
    jpeg_compress_struct info;
    ErrorJump error;
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = JumpOnError;
    error.manager.emit_message = IgnoreMessage;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    std::vector<uint8_t> row(picture.RowBytes());
    if (setjmp(error.jump)) {
        jpeg_destroy_compress(&info);
        std::free(buffer);
        return nullptr;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(picture.Width());
    info.image_height = static_cast<JDIMENSION>(picture.Height());
    info.input_components = picture.Channels();
    info.in_color_space = picture.Channels() == 3 ? JCS_RGB : JCS_GRAYSCALE;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, kQuality, TRUE);
    info.dct_method = JDCT_ISLOW;
    info.density_unit = 1;  // dots per inch
    info.X_density = kDotsPerInch;
    info.Y_density = kDotsPerInch;
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        picture.RenderRow(static_cast<int>(info.next_scanline), row.data());
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    auto jpeg = std::make_shared<const std::string>(reinterpret_cast<const char*>(buffer), size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return jpeg;
}

std::shared_ptr<const std::string> PageJpeg(const JobSpec& spec, int page) {
    static JpegCache cache;
    return cache.Get(spec, page);
}

}  // namespace zeltosim::detail
