// TIFF through libtiff, over memory by client procedures. Reading goes
// through libtiff's RGBA interface, which covers the photometric kinds and
// compressions libtiff knows; each page is one frame.
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include <tiffio.h>

#include "platform/gdiplus/codecs/codec_util.h"

namespace gdiplus::codecs {
namespace {

constexpr const char* kTiffFmt = "TIFF";

// The file in memory: read-only over the input, or growing for output.
struct MemFile {
  ByteView input;
  Bytes* output = nullptr;
  std::uint64_t pos = 0;
  std::string error;  // first error libtiff reported
  std::uint64_t size() const { return output ? output->size() : input.size(); }
};

extern "C" tmsize_t tiffRead(thandle_t h, void* buf, tmsize_t size) {
  auto* f = static_cast<MemFile*>(h);
  if (size <= 0 || f->pos >= f->size()) return 0;
  const std::uint64_t n = std::min<std::uint64_t>(static_cast<std::uint64_t>(size), f->size() - f->pos);
  // Writing reads back too: linking a new page reads the previous directory.
  const std::uint8_t* base = f->output ? f->output->data() : f->input.data();
  std::memcpy(buf, base + f->pos, static_cast<std::size_t>(n));
  f->pos += n;
  return static_cast<tmsize_t>(n);
}

extern "C" tmsize_t tiffWrite(thandle_t h, void* buf, tmsize_t size) {
  auto* f = static_cast<MemFile*>(h);
  if (!f->output || size < 0) return -1;
  const std::uint64_t end = f->pos + static_cast<std::uint64_t>(size);
  if (end > (std::uint64_t{1} << 32)) return -1;  // classic TIFF offsets are 32-bit
  if (end > f->output->size()) f->output->resize(static_cast<std::size_t>(end));
  std::memcpy(f->output->data() + f->pos, buf, static_cast<std::size_t>(size));
  f->pos = end;
  return size;
}

extern "C" toff_t tiffSeek(thandle_t h, toff_t offset, int whence) {
  auto* f = static_cast<MemFile*>(h);
  std::uint64_t base = 0;
  if (whence == SEEK_CUR) base = f->pos;
  if (whence == SEEK_END) base = f->size();
  const std::uint64_t target = base + offset;
  if (target > (std::uint64_t{1} << 40)) return static_cast<toff_t>(-1);
  f->pos = target;
  return target;
}

extern "C" int tiffClose(thandle_t) { return 0; }
extern "C" toff_t tiffSize(thandle_t h) { return static_cast<MemFile*>(h)->size(); }
extern "C" int tiffMap(thandle_t, void**, toff_t*) { return 0; }
extern "C" void tiffUnmap(thandle_t, void*, toff_t) {}

extern "C" int tiffOnError(TIFF*, void* user, const char* module, const char* fmt, va_list ap) {
  auto* f = static_cast<MemFile*>(user);
  if (f->error.empty()) {
    char text[512];
    std::vsnprintf(text, sizeof text, fmt, ap);
    f->error = std::string(module ? module : "libtiff") + ": " + text;
  }
  return 1;  // handled: nothing on stderr
}

extern "C" int tiffOnWarning(TIFF*, void*, const char*, const char*, va_list) { return 1; }

struct Handle {
  TIFF* tif = nullptr;
  TIFFOpenOptions* opts = nullptr;
  ~Handle() {
    if (tif) TIFFClose(tif);
    if (opts) TIFFOpenOptionsFree(opts);
  }
};

void open(Handle& h, MemFile& file, const char* mode) {
  h.opts = TIFFOpenOptionsAlloc();
  if (!h.opts) fail(OutOfMemory, "TIFF options");
  TIFFOpenOptionsSetErrorHandlerExtR(h.opts, tiffOnError, &file);
  TIFFOpenOptionsSetWarningHandlerExtR(h.opts, tiffOnWarning, &file);
  TIFFOpenOptionsSetMaxSingleMemAlloc(h.opts, 256 * 1024 * 1024);
  h.tif = TIFFClientOpenExt("buffer", mode, &file, tiffRead, tiffWrite, tiffSeek, tiffClose, tiffSize, tiffMap, tiffUnmap,
                            h.opts);
}

[[noreturn]] void failTiff(const MemFile& f, const char* what) {
  const std::string why = f.error.empty() ? std::string(what) : std::string(what) + ": " + f.error;
  if (f.error.find("emory allocation") != std::string::npos || f.error.find("ut of memory") != std::string::npos) fail(OutOfMemory, "TIFF " + why);
  failCorrupt(kTiffFmt, why);
}

double dpi(TIFF* tif, ttag_t tag) {
  float res = 0;
  std::uint16_t unit = RESUNIT_INCH;
  if (!TIFFGetField(tif, tag, &res) || !(res > 0) || res > 1e6f) return 96;
  TIFFGetFieldDefaulted(tif, TIFFTAG_RESOLUTIONUNIT, &unit);
  if (unit == RESUNIT_CENTIMETER) return res * 2.54;
  return unit == RESUNIT_INCH ? res : 96;
}

}  // namespace

DecodedImage decodeTiff(ByteView data, const DecodeOptions& options) {
  if (detectFormat(data) != FileFormat::Tiff) fail(UnknownImageFormat, "not a TIFF file");
  MemFile file;
  file.input = data;
  Handle h;
  open(h, file, "rm");
  if (!h.tif) failTiff(file, "header");
  DecodedImage out;
  out.format = FileFormat::Tiff;
  std::uint64_t used = 0;
  do {
    std::uint32_t w = 0, hgt = 0;
    if (!TIFFGetField(h.tif, TIFFTAG_IMAGEWIDTH, &w) || !TIFFGetField(h.tif, TIFFTAG_IMAGELENGTH, &hgt))
      failCorrupt(kTiffFmt, "page without a size");
    checkPixelCount(kTiffFmt, w, hgt, options, used);
    used += static_cast<std::uint64_t>(w) * hgt;
    char why[1024] = {0};
    if (!TIFFRGBAImageOK(h.tif, why)) fail(UnknownImageFormat, std::string("TIFF page not readable: ") + why);
    std::uint16_t extraCount = 0;
    std::uint16_t* extraTypes = nullptr;
    TIFFGetFieldDefaulted(h.tif, TIFFTAG_EXTRASAMPLES, &extraCount, &extraTypes);
    std::uint16_t bits = 8, samples = 1;
    TIFFGetFieldDefaulted(h.tif, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(h.tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
    if (out.frames.empty()) {
      out.bitsPerPixel = std::min(32, bits * samples);
      out.dpiX = dpi(h.tif, TIFFTAG_XRESOLUTION);
      out.dpiY = dpi(h.tif, TIFFTAG_YRESOLUTION);
    }
    if (extraCount > 0 && extraTypes &&
        (extraTypes[0] == EXTRASAMPLE_ASSOCALPHA || extraTypes[0] == EXTRASAMPLE_UNASSALPHA))
      out.hasAlpha = true;

    Raster img(static_cast<int>(w), static_cast<int>(hgt));
    if (!TIFFReadRGBAImageOriented(h.tif, w, hgt, img.pixels.data(), ORIENTATION_TOPLEFT, 1))
      failTiff(file, "pixels");
    // libtiff gives R in the low byte and premultiplied (associated) alpha.
    for (std::uint32_t& p : img.pixels) {
      const std::uint32_t r = p & 0xFF, g = (p >> 8) & 0xFF, b = (p >> 16) & 0xFF, a = p >> 24;
      p = unpremultiply((a << 24) | (r << 16) | (g << 8) | b);
    }
    // libtiff also takes a fourth RGB sample without an ExtraSamples tag, or
    // an unspecified extra sample, as alpha: the pixels then say so.
    if (!out.hasAlpha && img.hasAlpha()) out.hasAlpha = true;
    out.frames.push_back(std::move(img));
    out.delays.push_back(0);
  } while (TIFFReadDirectory(h.tif));
  if (!file.error.empty() && out.frames.empty()) failTiff(file, "directory");
  return out;
}

Bytes encodeTiff(const std::vector<const Raster*>& pages) {
  if (pages.empty()) fail(InvalidParameter, "no pages to write as TIFF");
  for (const Raster* p : pages) {
    if (!p) fail(InvalidParameter, "missing TIFF page");
    checkWritable(*p, kTiffFmt);
  }
  Bytes out;
  MemFile file;
  file.output = &out;
  {
    Handle h;
    open(h, file, "w");
    if (!h.tif) failTiff(file, "opening for writing");
    for (const Raster* page : pages) {
      const bool alpha = page->hasAlpha();
      const std::uint16_t samples = alpha ? 4 : 3;
      TIFFSetField(h.tif, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(page->width));
      TIFFSetField(h.tif, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(page->height));
      TIFFSetField(h.tif, TIFFTAG_BITSPERSAMPLE, 8);
      TIFFSetField(h.tif, TIFFTAG_SAMPLESPERPIXEL, samples);
      if (alpha) {
        const std::uint16_t extra[] = {EXTRASAMPLE_UNASSALPHA};
        TIFFSetField(h.tif, TIFFTAG_EXTRASAMPLES, 1, extra);
      }
      TIFFSetField(h.tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
      TIFFSetField(h.tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
      TIFFSetField(h.tif, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
      TIFFSetField(h.tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
      TIFFSetField(h.tif, TIFFTAG_XRESOLUTION, 96.0f);
      TIFFSetField(h.tif, TIFFTAG_YRESOLUTION, 96.0f);
      TIFFSetField(h.tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
      TIFFSetField(h.tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(h.tif, 0));
      if (pages.size() > 1) {
        TIFFSetField(h.tif, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
      }
      std::vector<std::uint8_t> row(static_cast<std::size_t>(page->width) * samples);
      for (int y = 0; y < page->height; ++y) {
        const std::uint32_t* src = page->row(y);
        for (int x = 0; x < page->width; ++x) {
          std::uint8_t* d = &row[static_cast<std::size_t>(x) * samples];
          d[0] = static_cast<std::uint8_t>(src[x] >> 16);
          d[1] = static_cast<std::uint8_t>(src[x] >> 8);
          d[2] = static_cast<std::uint8_t>(src[x]);
          if (alpha) d[3] = static_cast<std::uint8_t>(src[x] >> 24);
        }
        if (TIFFWriteScanline(h.tif, row.data(), static_cast<std::uint32_t>(y), 0) < 0)
          failTiff(file, "writing pixels");
      }
      if (!TIFFWriteDirectory(h.tif)) failTiff(file, "writing a page");
    }
    TIFFClose(h.tif);
    h.tif = nullptr;
    if (!file.error.empty()) failTiff(file, "writing");
  }
  return out;
}

Bytes encodeTiff(const Raster& image) { return encodeTiff(std::vector<const Raster*>{&image}); }

}  // namespace gdiplus::codecs
