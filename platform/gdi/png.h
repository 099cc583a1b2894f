#pragma once
// PNG files to and from 32-bit images, over libpng. Shared with the
// graphics-interface codecs.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/gdi/surface.h"
#include "platform/gdi/types.h"

namespace gdi {

// Larger images are refused before any pixel memory is taken.
constexpr std::uint64_t kPngMaxPixels = std::uint64_t(1) << 26;  // 64 Mi pixels

// Decodes any PNG (palette, grey, 16-bit, interlaced...) to BGRA with
// straight alpha (opaque images get alpha 255). Throws rtl::EReadError with
// a message naming the problem (not a PNG, truncated, too large, corrupt).
ImageBGRA ReadPng(const std::uint8_t* data, std::size_t size,
                  std::uint64_t maxPixels = kPngMaxPixels);
ImageBGRA ReadPng(const std::vector<std::uint8_t>& bytes, std::uint64_t maxPixels = kPngMaxPixels);
ImageBGRA ReadPngFile(const std::filesystem::path& path, std::uint64_t maxPixels = kPngMaxPixels);
// The same without exceptions: false and `error` filled on failure.
bool TryReadPng(const std::uint8_t* data, std::size_t size, ImageBGRA& out, std::string* error,
                std::uint64_t maxPixels = kPngMaxPixels);

struct PngWriteOptions {
  // False writes an RGB file (alpha dropped); true keeps all four bytes.
  bool keepAlpha = true;
};

// Encodes straight-alpha BGRA. Throws rtl::EWriteError on failure.
std::vector<std::uint8_t> WritePng(const ImageBGRA& image, PngWriteOptions options = {});
std::vector<std::uint8_t> WritePng(const Surface& surface, PngWriteOptions options = {});
void WritePngFile(const ImageBGRA& image, const std::filesystem::path& path,
                  PngWriteOptions options = {});
void WritePngFile(const Surface& surface, const std::filesystem::path& path,
                  PngWriteOptions options = {});
// A rectangle of a DC's surface (device coordinates) or a whole bitmap.
void WritePngFile(HDC dc, const RECT& area, const std::filesystem::path& path,
                  PngWriteOptions options = {});
void WritePngFile(HBITMAP bmp, const std::filesystem::path& path, PngWriteOptions options = {});

}  // namespace gdi
