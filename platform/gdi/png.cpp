// PNG reading and writing through libpng's simplified interface, which
// reports errors as messages instead of long jumps.
#include "platform/gdi/png.h"

#include <png.h>

#include <climits>
#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/rtl/except.h"
#include "platform/rtl/ustring.h"

namespace gdi {

namespace {

[[noreturn]] void readError(const std::string& message) {
  throw rtl::EReadError(rtl::Utf8ToString(message));
}

[[noreturn]] void writeError(const std::string& message) {
  throw rtl::EWriteError(rtl::Utf8ToString(message));
}

// Frees the decoder's state on every way out.
struct ImageGuard {
  png_image* image;
  ~ImageGuard() { png_image_free(image); }
};

}  // namespace

bool TryReadPng(const std::uint8_t* data, std::size_t size, ImageBGRA& out, std::string* error,
                std::uint64_t maxPixels) {
  auto fail = [&](const std::string& message) {
    if (error) *error = message;
    return false;
  };
  static const std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (!data || size < sizeof kSignature) return fail("PNG data too short (" + std::to_string(size) + " bytes)");
  if (std::memcmp(data, kSignature, sizeof kSignature) != 0) return fail("not a PNG file (bad signature)");

  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  ImageGuard guard{&image};
  if (!png_image_begin_read_from_memory(&image, data, size)) {
    return fail(std::string("corrupt or truncated PNG header: ") + image.message);
  }
  const std::uint64_t w = image.width, h = image.height;
  if (w == 0 || h == 0) return fail("PNG has an empty size");
  if (w * h > maxPixels || w > std::uint64_t(INT_MAX / 4) || h > std::uint64_t(INT_MAX)) {
    return fail("PNG too large: " + std::to_string(w) + " x " + std::to_string(h) + " pixels (limit " +
                std::to_string(maxPixels) + ")");
  }
  image.format = PNG_FORMAT_BGRA;
  ImageBGRA img(static_cast<int>(w), static_cast<int>(h));
  if (!png_image_finish_read(&image, nullptr, img.pixels.data(), png_int_32(w * 4), nullptr)) {
    return fail(std::string("corrupt or truncated PNG data: ") + image.message);
  }
  out = std::move(img);
  return true;
}

ImageBGRA ReadPng(const std::uint8_t* data, std::size_t size, std::uint64_t maxPixels) {
  ImageBGRA img;
  std::string error;
  if (!TryReadPng(data, size, img, &error, maxPixels)) readError(error);
  return img;
}

ImageBGRA ReadPng(const std::vector<std::uint8_t>& bytes, std::uint64_t maxPixels) {
  return ReadPng(bytes.data(), bytes.size(), maxPixels);
}

ImageBGRA ReadPngFile(const std::filesystem::path& path, std::uint64_t maxPixels) {
  std::ifstream in(path, std::ios::binary);
  if (!in) readError("cannot open PNG file " + path.string());
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string error;
  ImageBGRA img;
  if (!TryReadPng(bytes.data(), bytes.size(), img, &error, maxPixels)) readError(path.string() + ": " + error);
  return img;
}

std::vector<std::uint8_t> WritePng(const ImageBGRA& image, PngWriteOptions options) {
  if (image.width <= 0 || image.height <= 0 ||
      image.pixels.size() != std::size_t(image.width) * std::size_t(image.height)) {
    writeError("cannot write an empty or inconsistent image as PNG");
  }
  png_image info;
  std::memset(&info, 0, sizeof info);
  info.version = PNG_IMAGE_VERSION;
  info.width = png_uint_32(image.width);
  info.height = png_uint_32(image.height);
  const void* buffer = image.pixels.data();
  png_int_32 stride = png_int_32(image.width) * 4;
  std::vector<std::uint8_t> rgb;
  if (options.keepAlpha) {
    info.format = PNG_FORMAT_BGRA;
  } else {
    info.format = PNG_FORMAT_BGR;
    rgb.resize(image.pixels.size() * 3);
    for (std::size_t i = 0; i < image.pixels.size(); ++i) {
      const std::uint32_t p = image.pixels[i];
      rgb[3 * i] = std::uint8_t(p);
      rgb[3 * i + 1] = std::uint8_t(p >> 8);
      rgb[3 * i + 2] = std::uint8_t(p >> 16);
    }
    buffer = rgb.data();
    stride = png_int_32(image.width) * 3;
  }
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&info, nullptr, &size, 0, buffer, stride, nullptr)) {
    std::string message = info.message;
    png_image_free(&info);
    writeError("PNG encoding failed: " + message);
  }
  std::vector<std::uint8_t> out(size);
  if (!png_image_write_to_memory(&info, out.data(), &size, 0, buffer, stride, nullptr)) {
    std::string message = info.message;
    png_image_free(&info);
    writeError("PNG encoding failed: " + message);
  }
  out.resize(size);
  return out;
}

std::vector<std::uint8_t> WritePng(const Surface& surface, PngWriteOptions options) {
  return WritePng(CopySurface(surface), options);
}

void WritePngFile(const ImageBGRA& image, const std::filesystem::path& path, PngWriteOptions options) {
  const std::vector<std::uint8_t> bytes = WritePng(image, options);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) writeError("cannot create PNG file " + path.string());
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  if (!out) writeError("cannot write PNG file " + path.string());
}

void WritePngFile(const Surface& surface, const std::filesystem::path& path, PngWriteOptions options) {
  WritePngFile(CopySurface(surface), path, options);
}

void WritePngFile(HDC dc, const RECT& area, const std::filesystem::path& path, PngWriteOptions options) {
  WritePngFile(CaptureDC(dc, area), path, options);
}

void WritePngFile(HBITMAP bmp, const std::filesystem::path& path, PngWriteOptions options) {
  WritePngFile(CaptureBitmap(bmp), path, options);
}

}  // namespace gdi
