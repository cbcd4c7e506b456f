#include "ui/Jpeg.h"

#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE declared first
#include <new>

#include <jpeglib.h>

namespace tastavia::ui {
namespace {

struct ErrorManager {
    jpeg_error_mgr base;  // first, so libjpeg's pointer to it is a pointer to the whole
    std::jmp_buf jump;
};

// libjpeg's default calls exit(); jump back to the decoder instead.
[[noreturn]] void OnError(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

// Warnings mean damaged data (a truncated file is padded and only warned about): count
// them so the decoder can refuse the picture, and print nothing.
void OnMessage(j_common_ptr info, int level) {
    if (level < 0) ++info->err->num_warnings;
}

// Every object in this frame is trivially destructible, because longjmp skips
// destructors; the pixels live in the caller's Picture.
bool Decode(const unsigned char* data, unsigned long size, Picture& picture) {
    jpeg_decompress_struct info {};
    ErrorManager errors {};
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = OnError;
    errors.base.emit_message = OnMessage;
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);  // safe on a zeroed struct, too
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, size);
    jpeg_read_header(&info, TRUE);
    if (info.jpeg_color_space != JCS_GRAYSCALE && info.jpeg_color_space != JCS_YCbCr &&
        info.jpeg_color_space != JCS_RGB) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    info.out_color_space = JCS_RGB;
    jpeg_calc_output_dimensions(&info);
    if (static_cast<long long>(info.output_width) * info.output_height > kMaxJpegPixels) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_start_decompress(&info);
    const std::size_t stride = std::size_t{info.output_width} * 3;
    try {
        picture.rgb.assign(stride * info.output_height, 0);
    } catch (const std::bad_alloc&) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    picture.width = static_cast<int>(info.output_width);
    picture.height = static_cast<int>(info.output_height);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = picture.rgb.data() + stride * info.output_scanline;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    const bool sound = info.err->num_warnings == 0;
    jpeg_destroy_decompress(&info);
    return sound;
}

}  // namespace

std::optional<Picture> DecodeJpeg(std::string_view bytes) {
    if (bytes.empty()) return std::nullopt;
    Picture picture;
    if (!Decode(reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<unsigned long>(bytes.size()),
                picture))
        return std::nullopt;
    return picture;
}

}  // namespace tastavia::ui
