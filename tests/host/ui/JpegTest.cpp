// JPEG decoding of our own pictures and of pictures made here with libjpeg's encoder, and
// refusal of data that is not a sound JPEG.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "platform/portable/EmbeddedResources.h"
#include "ui/Jpeg.h"

namespace tastavia {
namespace {

using ui::DecodeJpeg;

// Encodes pixels (1 or 3 or 4 bytes each, top row first) with libjpeg at full quality
// and no chroma subsampling, so decoded colours stay close to the originals.
std::string Encode(int width, int height, J_COLOR_SPACE space, const std::vector<unsigned char>& pixels,
                   bool progressive = false) {
    jpeg_compress_struct info {};
    jpeg_error_mgr errors {};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    jpeg_mem_dest(&info, &out, &outSize);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = space == JCS_GRAYSCALE ? 1 : space == JCS_CMYK ? 4 : 3;
    info.in_color_space = space;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 100, TRUE);
    for (int c = 0; c < info.num_components; ++c) info.comp_info[c].h_samp_factor = info.comp_info[c].v_samp_factor = 1;
    if (progressive) jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    const std::size_t stride = static_cast<std::size_t>(width) * info.input_components;
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<unsigned char*>(pixels.data()) + stride * info.next_scanline;
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::string bytes(reinterpret_cast<const char*>(out), outSize);
    std::free(out);
    return bytes;
}

struct Rgb { int r, g, b; };

Rgb PixelAt(const ui::Picture& picture, int x, int y) {
    const std::uint8_t* p = &picture.rgb[(static_cast<std::size_t>(y) * picture.width + x) * 3];
    return {p[0], p[1], p[2]};
}

void ExpectNear(Rgb got, Rgb want, const char* where) {
    const int kTolerance = 12;
    EXPECT_NEAR(got.r, want.r, kTolerance) << where;
    EXPECT_NEAR(got.g, want.g, kTolerance) << where;
    EXPECT_NEAR(got.b, want.b, kTolerance) << where;
}

// 16x16 in four solid quadrants: red, blue above; green, white below.
std::vector<unsigned char> Quadrants() {
    std::vector<unsigned char> pixels;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            Rgb c = y < 8 ? (x < 8 ? Rgb{255, 0, 0} : Rgb{0, 0, 255}) : (x < 8 ? Rgb{0, 255, 0} : Rgb{255, 255, 255});
            pixels.insert(pixels.end(), {static_cast<unsigned char>(c.r), static_cast<unsigned char>(c.g),
                                         static_cast<unsigned char>(c.b)});
        }
    return pixels;
}

void ExpectQuadrants(const ui::Picture& picture) {
    ASSERT_EQ(picture.width, 16);
    ASSERT_EQ(picture.height, 16);
    ASSERT_EQ(picture.rgb.size(), 16u * 16u * 3u);
    ExpectNear(PixelAt(picture, 3, 3), {255, 0, 0}, "top left");
    ExpectNear(PixelAt(picture, 12, 3), {0, 0, 255}, "top right");
    ExpectNear(PixelAt(picture, 3, 12), {0, 255, 0}, "bottom left");
    ExpectNear(PixelAt(picture, 12, 12), {255, 255, 255}, "bottom right");
}

TEST(DecodeJpeg, GivesRgbTopRowFirst) {
    auto picture = DecodeJpeg(Encode(16, 16, JCS_RGB, Quadrants()));
    ASSERT_TRUE(picture);
    ExpectQuadrants(*picture);

    auto progressive = DecodeJpeg(Encode(16, 16, JCS_RGB, Quadrants(), true));
    ASSERT_TRUE(progressive);
    ExpectQuadrants(*progressive);
}

TEST(DecodeJpeg, ExpandsGrayscaleToRgb) {
    std::vector<unsigned char> ramp;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 24; ++x) ramp.push_back(static_cast<unsigned char>(x < 8 ? 20 : x < 16 ? 128 : 240));
    auto picture = DecodeJpeg(Encode(24, 8, JCS_GRAYSCALE, ramp));
    ASSERT_TRUE(picture);
    ASSERT_EQ(picture->width, 24);
    ASSERT_EQ(picture->height, 8);
    ASSERT_EQ(picture->rgb.size(), 24u * 8u * 3u);
    ExpectNear(PixelAt(*picture, 3, 4), {20, 20, 20}, "dark");
    ExpectNear(PixelAt(*picture, 11, 4), {128, 128, 128}, "middle");
    ExpectNear(PixelAt(*picture, 20, 4), {240, 240, 240}, "light");
}

TEST(DecodeJpeg, RefusesWhatIsNotASoundJpeg) {
    EXPECT_FALSE(DecodeJpeg(""));
    EXPECT_FALSE(DecodeJpeg("not a picture at all"));
    EXPECT_FALSE(DecodeJpeg(std::string("\xFF\xD8\xFF", 3)));  // a start marker and nothing else
    std::string noise(4096, '\0');
    unsigned state = 12345;
    for (char& c : noise) c = static_cast<char>((state = state * 1103515245u + 12345u) >> 24);
    EXPECT_FALSE(DecodeJpeg(noise));
    noise[0] = '\xFF';
    noise[1] = '\xD8';
    EXPECT_FALSE(DecodeJpeg(noise));

    // A frame header that says the picture has no rows.
    std::string empty = Encode(16, 16, JCS_RGB, Quadrants());
    std::size_t frame = empty.find("\xFF\xC0", 0, 2);
    ASSERT_NE(frame, std::string::npos);
    empty[frame + 5] = empty[frame + 6] = '\0';
    EXPECT_FALSE(DecodeJpeg(empty));

    std::vector<unsigned char> cmyk(16 * 16 * 4, 0x40);
    EXPECT_FALSE(DecodeJpeg(Encode(16, 16, JCS_CMYK, cmyk)));
}

TEST(DecodeJpeg, RefusesEveryTruncation) {
    std::string banner(*EmbeddedResources().RcData("BANNER"));
    for (std::size_t cut = 0; cut < banner.size(); cut += cut + 8 < banner.size() ? 7 : 1)
        EXPECT_FALSE(DecodeJpeg(std::string_view(banner).substr(0, cut))) << "cut at " << cut;
}

TEST(OurPictures, DecodeToTheirSizesInLightColours) {
    EmbeddedResources resources;
    const struct { const char* name; int width, height; } kPictures[] = {{"BANNER", 285, 189}, {"WIZARD", 145, 257}};
    for (const auto& expected : kPictures) {
        auto bytes = resources.RcData(expected.name);
        ASSERT_TRUE(bytes) << expected.name;
        auto picture = DecodeJpeg(*bytes);
        ASSERT_TRUE(picture) << expected.name;
        EXPECT_EQ(picture->width, expected.width) << expected.name;
        EXPECT_EQ(picture->height, expected.height) << expected.name;
        // Calm background: the corners are light.
        Rgb corner = PixelAt(*picture, 0, 0);
        EXPECT_GT(corner.r + corner.g + corner.b, 3 * 200) << expected.name;
    }
}

std::uint32_t Le32(std::string_view b, std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8 |
                                      static_cast<unsigned char>(b[at + 2]) << 16 |
                                      static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24);
}

TEST(OurPictures, WallpaperIsACompleteLight24BitBmp) {
    auto bmp = EmbeddedResources().Bitmap("WALLPAPER");
    ASSERT_TRUE(bmp);
    ASSERT_GT(bmp->size(), 54u);
    EXPECT_EQ(bmp->substr(0, 2), "BM");
    EXPECT_EQ(Le32(*bmp, 2), bmp->size());  // the file header is there, so ListView gets a whole .bmp
    EXPECT_EQ(Le32(*bmp, 14), 40u);         // BITMAPINFOHEADER, what Windows 98 reads
    const std::uint32_t width = Le32(*bmp, 18), height = Le32(*bmp, 22), offset = Le32(*bmp, 10);
    EXPECT_EQ(bmp->substr(28, 2), std::string("\x18\x00", 2));  // 24 bits a pixel
    EXPECT_EQ(Le32(*bmp, 30), 0u);                              // uncompressed
    ASSERT_EQ(offset + (width * 3 + 3) / 4 * 4 * height, bmp->size());
    // Black list text must stay readable over every pixel.
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width * 3; ++x)
            ASSERT_GE(static_cast<unsigned char>((*bmp)[offset + y * ((width * 3 + 3) / 4 * 4) + x]), 0xC0)
                << "at " << x / 3 << "," << y;
}

}  // namespace
}  // namespace tastavia
