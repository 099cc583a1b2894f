// JPEG through IJG libjpeg (libjpeg-turbo). libjpeg reports errors by calling
// error_exit, which must not return: it jumps back to the setjmp in the two
// functions below. Those functions hold no C++ objects with destructors, so
// the jump skips nothing that needs cleaning; everything owned lives in the
// callers, and the libjpeg objects are destroyed there.
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>
#include <jerror.h>

#include "platform/gdiplus/codecs/codec_util.h"

namespace gdiplus::codecs {
namespace {

constexpr const char* kJpegFmt = "JPEG";

struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
  bool outOfMemory;
};

extern "C" void jpegOnError(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  err->outOfMemory = err->pub.msg_code == JERR_OUT_OF_MEMORY;
  (*cinfo->err->format_message)(cinfo, err->message);
  std::longjmp(err->jump, 1);
}

extern "C" void jpegOnMessage(j_common_ptr, int) {}  // warnings: corrupt data is reported by the result

// Many-scan progressive files take very long to decode; real encoders
// write a dozen or so scans.
extern "C" void jpegOnProgress(j_common_ptr cinfo) {
  if (cinfo->is_decompressor) {
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->progressive_mode && d->input_scan_number > 500) {
      std::snprintf(reinterpret_cast<ErrorManager*>(cinfo->err)->message, JMSG_LENGTH_MAX,
                    "more than 500 progressive scans");
      reinterpret_cast<ErrorManager*>(cinfo->err)->outOfMemory = false;
      std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
    }
  }
}

void setupErrors(ErrorManager& err) {
  jpeg_std_error(&err.pub);
  err.pub.error_exit = jpegOnError;
  err.pub.emit_message = jpegOnMessage;
  err.message[0] = 0;
  err.outOfMemory = false;
}

[[noreturn]] void failFrom(const ErrorManager& err, const char* what) {
  const std::string text = std::string(kJpegFmt) + " " + what + ": " + err.message;
  if (err.outOfMemory) fail(OutOfMemory, text);
  fail(InvalidParameter, text);
}

struct HeaderInfo {
  unsigned width, height;
  int components;
  J_COLOR_SPACE space;
  bool saw_Adobe;
  double dpiX, dpiY;
};

// Reads the header alone (size, components, resolution), so that the caller
// checks the size before any pixel memory is taken.
bool readHeader(jpeg_decompress_struct* cinfo, ErrorManager* err, const std::uint8_t* data, std::size_t size,
                HeaderInfo* info) {
  if (setjmp(err->jump)) return false;
  jpeg_mem_src(cinfo, data, static_cast<unsigned long>(size));
  jpeg_read_header(cinfo, TRUE);
  info->width = cinfo->image_width;
  info->height = cinfo->image_height;
  info->components = cinfo->num_components;
  info->space = cinfo->jpeg_color_space;
  info->dpiX = info->dpiY = 96;
  if (cinfo->density_unit == 1 && cinfo->X_density && cinfo->Y_density)
    info->dpiX = cinfo->X_density, info->dpiY = cinfo->Y_density;
  else if (cinfo->density_unit == 2 && cinfo->X_density && cinfo->Y_density)
    info->dpiX = cinfo->X_density * 2.54, info->dpiY = cinfo->Y_density * 2.54;
  return true;
}

// Decompresses the pixels into `out`, which the caller has sized from the
// header (width x height).
bool readPixels(jpeg_decompress_struct* cinfo, ErrorManager* err, std::uint32_t* out, bool cmyk) {
  if (setjmp(err->jump)) return false;
  cinfo->out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;
  jpeg_start_decompress(cinfo);
  const JDIMENSION w = cinfo->output_width;
  JSAMPARRAY row = (*cinfo->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE, w * 4, 1);
  while (cinfo->output_scanline < cinfo->output_height) {
    const JDIMENSION y = cinfo->output_scanline;
    if (!cmyk) {
      // BGRA with alpha 255 is already our pixel: straight into the raster.
      JSAMPROW direct = reinterpret_cast<JSAMPROW>(out + static_cast<std::size_t>(y) * w);
      jpeg_read_scanlines(cinfo, &direct, 1);
      continue;
    }
    jpeg_read_scanlines(cinfo, row, 1);
    std::uint32_t* dst = out + static_cast<std::size_t>(y) * w;
    const JSAMPLE* s = row[0];
    for (JDIMENSION x = 0; x < w; ++x, s += 4) {
      if (cmyk) {
        // Adobe writes CMYK inverted: the samples are already 255 - ink.
        const unsigned k = s[3];
        dst[x] = 0xFF000000u | ((s[0] * k / 255) << 16) | ((s[1] * k / 255) << 8) | (s[2] * k / 255);
      } else {
        dst[x] = 0xFF000000u | (s[2] << 16) | (s[1] << 8) | s[0];
      }
    }
  }
  jpeg_finish_decompress(cinfo);
  return true;
}

bool createDecompress(jpeg_decompress_struct* cinfo, ErrorManager* err) {
  if (setjmp(err->jump)) return false;
  jpeg_create_decompress(cinfo);
  return true;
}

bool createCompress(jpeg_compress_struct* cinfo, ErrorManager* err) {
  if (setjmp(err->jump)) return false;
  jpeg_create_compress(cinfo);
  return true;
}

struct Decompressor {
  jpeg_decompress_struct cinfo{};
  ErrorManager err{};
  jpeg_progress_mgr progress{};
  bool created = false;
  Decompressor() {
    setupErrors(err);
    cinfo.err = &err.pub;
    created = createDecompress(&cinfo, &err);
    if (!created) failFrom(err, "start");
    progress.progress_monitor = jpegOnProgress;
    cinfo.progress = &progress;
    cinfo.mem->max_memory_to_use = 512L * 1024 * 1024;
  }
  ~Decompressor() {
    if (created) jpeg_destroy_decompress(&cinfo);
  }
};

bool writeAll(jpeg_compress_struct* cinfo, ErrorManager* err, const std::uint32_t* pixels, int width, int height,
              int quality, unsigned char** buffer, unsigned long* size) {
  if (setjmp(err->jump)) return false;
  jpeg_mem_dest(cinfo, buffer, size);
  cinfo->image_width = static_cast<JDIMENSION>(width);
  cinfo->image_height = static_cast<JDIMENSION>(height);
  cinfo->input_components = 4;
  cinfo->in_color_space = JCS_EXT_BGRX;
  jpeg_set_defaults(cinfo);
  jpeg_set_quality(cinfo, quality, TRUE);
  cinfo->density_unit = 1;
  cinfo->X_density = cinfo->Y_density = 96;
  jpeg_start_compress(cinfo, TRUE);
  while (cinfo->next_scanline < cinfo->image_height) {
    JSAMPROW row = reinterpret_cast<JSAMPROW>(const_cast<std::uint32_t*>(pixels) +
                                              static_cast<std::size_t>(cinfo->next_scanline) * width);
    jpeg_write_scanlines(cinfo, &row, 1);
  }
  jpeg_finish_compress(cinfo);
  return true;
}

struct Compressor {
  jpeg_compress_struct cinfo{};
  ErrorManager err{};
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  bool created = false;
  Compressor() {
    setupErrors(err);
    cinfo.err = &err.pub;
    created = createCompress(&cinfo, &err);
    if (!created) failFrom(err, "start");
  }
  ~Compressor() {
    if (created) jpeg_destroy_compress(&cinfo);
    std::free(buffer);
  }
};

}  // namespace

DecodedImage decodeJpeg(ByteView data, const DecodeOptions& options) {
  if (detectFormat(data) != FileFormat::Jpeg) fail(UnknownImageFormat, "not a JPEG file");
  Decompressor d;
  HeaderInfo info{};
  if (!readHeader(&d.cinfo, &d.err, data.data(), data.size(), &info)) failFrom(d.err, "header");
  checkPixelCount(kJpegFmt, info.width, info.height, options);
  const bool cmyk = info.space == JCS_CMYK || info.space == JCS_YCCK;
  if (!cmyk && info.components != 1 && info.components != 3)
    failCorrupt(kJpegFmt, std::to_string(info.components) + " colour components");
  DecodedImage out;
  out.format = FileFormat::Jpeg;
  out.bitsPerPixel = 24;
  out.dpiX = info.dpiX;
  out.dpiY = info.dpiY;
  Raster img(static_cast<int>(info.width), static_cast<int>(info.height), 0xFF000000u);
  if (!readPixels(&d.cinfo, &d.err, img.pixels.data(), cmyk)) failFrom(d.err, "pixels");
  out.frames.push_back(std::move(img));
  out.delays.push_back(0);
  return out;
}

Bytes encodeJpeg(const Raster& image, int quality) {
  checkWritable(image, kJpegFmt);
  if (quality < 0 || quality > 100) fail(InvalidParameter, "JPEG quality must be 0..100");
  if (image.width > JPEG_MAX_DIMENSION || image.height > JPEG_MAX_DIMENSION)
    fail(InvalidParameter, "image too large for JPEG");
  Compressor c;
  if (!writeAll(&c.cinfo, &c.err, image.pixels.data(), image.width, image.height, quality, &c.buffer, &c.size))
    failFrom(c.err, "writing");
  return Bytes(c.buffer, c.buffer + c.size);
}

}  // namespace gdiplus::codecs
