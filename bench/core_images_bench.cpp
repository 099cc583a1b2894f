// Loading a 2048 x 2048 PNG and JPEG into the library's image graphic (the
// stream stored, then realised: decoded into an image of the graphics
// interface) against the codec libraries decoding the same bytes straight
// to 32-bit BGRA. Target: the image within 1.3x of the plain decode.
#include <benchmark/benchmark.h>

#include <csetjmp>
#include <cstdint>
#include <cstring>
#include <vector>

#include "bench/ratio_report.h"
#include "lib/core/dxSmartImage.h"
#include "platform/gdiplus/codecs/codecs.h"
#include "platform/rtl/streams.h"

// The C codec headers define macros (TRUE, FALSE...) that clash with the
// platform's names: they come last.
// clang-format off
#include <cstdio>
#include <png.h>
#include <jpeglib.h>
// clang-format on

namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr int kSide = 2048;

// Smooth colour fields with some texture: what photographs and screenshots
// give the codecs, not noise (which no one compresses) nor flat colour.
gdiplus::codecs::Raster scene() {
  gdiplus::codecs::Raster r(kSide, kSide);
  std::uint32_t seed = 12345;
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x) {
      seed = seed * 1103515245u + 12345u;
      const std::uint32_t grain = (seed >> 28) & 0x7;
      const std::uint32_t red = (x * 255 / kSide + grain) & 0xFF;
      const std::uint32_t green = (y * 255 / kSide + grain) & 0xFF;
      const std::uint32_t blue = ((x + y) / 16 + grain) & 0xFF;
      r.at(x, y) = 0xFF000000u | red << 16 | green << 8 | blue;
    }
  return r;
}

const Bytes& pngFile() {
  static const Bytes bytes = gdiplus::codecs::encodePng(scene());
  return bytes;
}

const Bytes& jpegFile() {
  static const Bytes bytes = gdiplus::codecs::encodeJpeg(scene(), 85);
  return bytes;
}

// --- the floors: the libraries alone --------------------------------------------------------

struct PngSource {
  const Bytes* bytes;
  std::size_t offset;
};

void readPngBytes(png_structp png, png_bytep out, png_size_t count) {
  auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
  if (source->offset + count > source->bytes->size()) png_error(png, "short");
  std::memcpy(out, source->bytes->data() + source->offset, count);
  source->offset += count;
}

bool decodePngToBgra(const Bytes& bytes, std::vector<std::uint32_t>& pixels) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  std::vector<png_bytep> rows;
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  PngSource source{&bytes, 0};
  png_set_read_fn(png, &source, &readPngBytes);
  png_read_info(png, info);
  const png_uint_32 w = png_get_image_width(png, info), h = png_get_image_height(png, info);
  png_set_expand(png);
  png_set_strip_16(png);
  png_set_gray_to_rgb(png);
  png_set_bgr(png);
  png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
  png_read_update_info(png, info);
  pixels.resize(std::size_t(w) * h);
  rows.resize(h);
  for (png_uint_32 y = 0; y < h; ++y) rows[y] = reinterpret_cast<png_bytep>(pixels.data() + std::size_t(y) * w);
  png_read_image(png, rows.data());
  png_destroy_read_struct(&png, &info, nullptr);
  return true;
}

bool decodeJpegToBgra(const Bytes& bytes, std::vector<std::uint32_t>& pixels) {
  jpeg_decompress_struct cinfo{};
  jpeg_error_mgr jerr{};
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = JCS_EXT_BGRA;
  jpeg_start_decompress(&cinfo);
  pixels.resize(std::size_t(cinfo.output_width) * cinfo.output_height);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = reinterpret_cast<JSAMPROW>(pixels.data() + std::size_t(cinfo.output_scanline) * cinfo.output_width);
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return true;
}

void BM_Png_Plain(benchmark::State& state) {
  const Bytes& bytes = pngFile();
  std::vector<std::uint32_t> pixels;
  for (auto _ : state) {
    if (!decodePngToBgra(bytes, pixels)) state.SkipWithError("png");
    benchmark::DoNotOptimize(pixels.data());
  }
}

void BM_Jpeg_Plain(benchmark::State& state) {
  const Bytes& bytes = jpegFile();
  std::vector<std::uint32_t> pixels;
  for (auto _ : state) {
    decodeJpegToBgra(bytes, pixels);
    benchmark::DoNotOptimize(pixels.data());
  }
}

// --- the library: stored, then realised -------------------------------------------------------

void loadIntoSmartImage(benchmark::State& state, const Bytes& bytes) {
  rtl::TMemoryStream stream;
  stream.WriteBuffer(bytes.data(), rtl::Int64(bytes.size()));
  for (auto _ : state) {
    ui::OwnedObject<core::TdxSmartImage> image(rtl::Create<core::TdxSmartImage>());
    stream.SetPosition(0);
    image->LoadFromStream(&stream);
    benchmark::DoNotOptimize(image->Handle());
    if (image->Width() != kSide) state.SkipWithError("size");
  }
}

void BM_Png_SmartImage(benchmark::State& state) { loadIntoSmartImage(state, pngFile()); }
void BM_Jpeg_SmartImage(benchmark::State& state) { loadIntoSmartImage(state, jpegFile()); }

BENCHMARK(BM_Png_Plain)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Png_SmartImage)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Jpeg_Plain)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Jpeg_SmartImage)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  return bench::RunWithRatios(argc, argv,
                              {{"PNG 2048x2048", "BM_Png_Plain", "BM_Png_SmartImage"},
                               {"JPEG 2048x2048", "BM_Jpeg_Plain", "BM_Jpeg_SmartImage"}});
}
