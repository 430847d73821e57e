#include "PageJpeg.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

#include "PageCache.h"

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

}  // namespace

std::shared_ptr<const std::string> EncodeJpeg(const PagePicture& picture, int dpi) {
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
    info.X_density = static_cast<UINT16>(dpi);
    info.Y_density = static_cast<UINT16>(dpi);
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
    static PageCache cache(kCacheBytes);
    return cache.Get({spec.seed, page, spec.widthPx, spec.heightPx, spec.color, spec.dpi},
                     [&] { return EncodeJpeg(PagePicture(spec, page), spec.dpi); });
}

}  // namespace zeltosim::detail
