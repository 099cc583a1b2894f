// GIF through giflib's record-level interface, so that every frame's size is
// checked before its pixels are read. Frames come out composed onto the
// logical screen as a viewer shows them (disposal methods applied).
#include <algorithm>
#include <cstring>
#include <map>

#include <gif_lib.h>

#include "platform/gdiplus/codecs/codec_util.h"

namespace gdiplus::codecs {
namespace {

constexpr const char* kGifFmt = "GIF";

struct Input {
  ByteView data;
  std::size_t pos = 0;
};

extern "C" int gifReadInput(GifFileType* gif, GifByteType* buffer, int length) {
  auto* in = static_cast<Input*>(gif->UserData);
  if (length <= 0) return 0;
  const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(length), in->data.size() - in->pos);
  std::memcpy(buffer, in->data.data() + in->pos, n);
  in->pos += n;
  return static_cast<int>(n);
}

[[noreturn]] void failGif(int error, const char* what) {
  const char* text = GifErrorString(error);
  const std::string message = std::string(what) + ": " + (text ? text : "unknown error");
  if (error == D_GIF_ERR_NOT_ENOUGH_MEM || error == E_GIF_ERR_NOT_ENOUGH_MEM) fail(OutOfMemory, "GIF " + message);
  if (error == D_GIF_ERR_READ_FAILED) failTruncated(kGifFmt, what);
  failCorrupt(kGifFmt, message);
}

struct Reader {
  GifFileType* gif = nullptr;
  ~Reader() {
    int error = 0;
    if (gif) DGifCloseFile(gif, &error);
  }
};

struct Control {
  int disposal = 0;
  int delay = 0;
  int transparent = -1;
};

}  // namespace

DecodedImage decodeGif(ByteView data, const DecodeOptions& options) {
  if (detectFormat(data) != FileFormat::Gif) fail(UnknownImageFormat, "not a GIF file");
  Input input{data, 0};
  Reader reader;
  int error = 0;
  reader.gif = DGifOpen(&input, gifReadInput, &error);
  if (!reader.gif) failGif(error, "screen descriptor");
  GifFileType* gif = reader.gif;

  DecodedImage out;
  out.format = FileFormat::Gif;
  out.bitsPerPixel = 8;
  const int screenW = gif->SWidth, screenH = gif->SHeight;
  checkPixelCount(kGifFmt, screenW, screenH, options);
  Raster canvas(screenW, screenH, 0);
  std::uint64_t used = 0;
  Control control;
  std::vector<GifByteType> line;

  for (;;) {
    GifRecordType type;
    if (DGifGetRecordType(gif, &type) == GIF_ERROR) failGif(gif->Error, "record");
    if (type == TERMINATE_RECORD_TYPE) break;
    if (type == EXTENSION_RECORD_TYPE) {
      int code = 0;
      GifByteType* ext = nullptr;
      if (DGifGetExtension(gif, &code, &ext) == GIF_ERROR) failGif(gif->Error, "extension");
      bool netscape = false;
      bool first = true;
      while (ext) {
        if (code == GRAPHICS_EXT_FUNC_CODE && first && ext[0] >= 4) {
          control.disposal = (ext[1] >> 2) & 7;
          control.delay = ext[2] | (ext[3] << 8);
          control.transparent = (ext[1] & 1) ? ext[4] : -1;
        } else if (code == APPLICATION_EXT_FUNC_CODE && first) {
          netscape = ext[0] == 11 && (std::memcmp(ext + 1, "NETSCAPE2.0", 11) == 0 ||
                                      std::memcmp(ext + 1, "ANIMEXTS1.0", 11) == 0);
        } else if (netscape && !first && ext[0] >= 3 && ext[1] == 1) {
          out.loopCount = ext[2] | (ext[3] << 8);
        }
        first = false;
        if (DGifGetExtensionNext(gif, &ext) == GIF_ERROR) failGif(gif->Error, "extension data");
      }
      continue;
    }
    if (type != IMAGE_DESC_RECORD_TYPE) continue;

    if (DGifGetImageDesc(gif) == GIF_ERROR) failGif(gif->Error, "image descriptor");
    const GifImageDesc& desc = gif->Image;
    checkPixelCount(kGifFmt, desc.Width, desc.Height, options);
    // Each shown frame is a full screen; count them against the limit.
    checkPixelCount(kGifFmt, screenW, screenH, options, used);
    used += static_cast<std::uint64_t>(screenW) * screenH;
    const ColorMapObject* map = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
    if (!map) failCorrupt(kGifFmt, "frame without a colour table");

    const Raster before = control.disposal == 3 ? canvas : Raster();
    line.resize(static_cast<std::size_t>(desc.Width));
    static const int passStart[] = {0, 4, 2, 1}, passStep[] = {8, 8, 4, 2};
    std::vector<int> rows;
    rows.reserve(static_cast<std::size_t>(desc.Height));
    if (desc.Interlace) {
      for (int pass = 0; pass < 4; ++pass)
        for (int y = passStart[pass]; y < desc.Height; y += passStep[pass]) rows.push_back(y);
    } else {
      for (int y = 0; y < desc.Height; ++y) rows.push_back(y);
    }
    for (int y : rows) {
      if (DGifGetLine(gif, line.data(), desc.Width) == GIF_ERROR) failGif(gif->Error, "pixels");
      const int cy = desc.Top + y;
      if (cy < 0 || cy >= screenH) continue;
      for (int x = 0; x < desc.Width; ++x) {
        const int cx = desc.Left + x;
        if (cx < 0 || cx >= screenW || line[x] == control.transparent) continue;
        if (line[x] >= map->ColorCount) {
          canvas.at(cx, cy) = 0xFF000000u;
          continue;
        }
        const GifColorType& c = map->Colors[line[x]];
        canvas.at(cx, cy) = 0xFF000000u | (c.Red << 16) | (c.Green << 8) | c.Blue;
      }
    }
    out.frames.push_back(canvas);
    out.delays.push_back(static_cast<std::uint32_t>(control.delay));

    if (control.disposal == 2) {
      for (int y = std::max(0, desc.Top); y < std::min(screenH, desc.Top + desc.Height); ++y)
        for (int x = std::max(0, desc.Left); x < std::min(screenW, desc.Left + desc.Width); ++x) canvas.at(x, y) = 0;
    } else if (control.disposal == 3) {
      canvas = before;
    }
    control = Control();
  }
  if (out.frames.empty()) failCorrupt(kGifFmt, "no frames");
  for (const Raster& f : out.frames)
    if (f.hasAlpha()) out.hasAlpha = true;
  return out;
}

namespace {

extern "C" int gifWriteOutput(GifFileType* gif, const GifByteType* buffer, int length) {
  auto* out = static_cast<Bytes*>(gif->UserData);
  out->insert(out->end(), buffer, buffer + length);
  return length;
}

struct Writer {
  GifFileType* gif = nullptr;
  ~Writer() {
    int error = 0;
    if (gif) EGifCloseFile(gif, &error);
  }
};

struct MapGuard {
  ColorMapObject* map = nullptr;
  ~MapGuard() { GifFreeMapObject(map); }
};

[[noreturn]] void failWrite(int error) {
  const char* text = GifErrorString(error);
  fail(GenericError, std::string("GIF writing failed: ") + (text ? text : "unknown error"));
}

// Palette and indexes of one frame; alpha < 128 is the transparent index.
void indexFrame(const Raster& img, std::vector<GifColorType>& colours, std::vector<GifByteType>& index,
                int& transparent) {
  const std::size_t n = img.pixels.size();
  index.assign(n, 0);
  bool anyTransparent = false;
  std::map<std::uint32_t, int> exact;
  for (std::uint32_t p : img.pixels) {
    if ((p >> 24) < 128) {
      anyTransparent = true;
      continue;
    }
    if (exact.size() <= 256) exact.emplace(p & 0xFFFFFF, 0);
  }
  const std::size_t room = anyTransparent ? 255 : 256;
  colours.clear();
  if (exact.size() <= room) {
    for (auto& [c, i] : exact) {
      i = static_cast<int>(colours.size());
      colours.push_back(GifColorType{static_cast<GifByteType>(c >> 16), static_cast<GifByteType>(c >> 8),
                                     static_cast<GifByteType>(c)});
    }
    for (std::size_t i = 0; i < n; ++i)
      if ((img.pixels[i] >> 24) >= 128) index[i] = static_cast<GifByteType>(exact[img.pixels[i] & 0xFFFFFF]);
  } else {
    std::vector<GifByteType> r(n), g(n), b(n);
    for (std::size_t i = 0; i < n; ++i) {
      r[i] = static_cast<GifByteType>(img.pixels[i] >> 16);
      g[i] = static_cast<GifByteType>(img.pixels[i] >> 8);
      b[i] = static_cast<GifByteType>(img.pixels[i]);
    }
    int size = static_cast<int>(room);
    std::vector<GifColorType> map(256);
    if (GifQuantizeBuffer(static_cast<unsigned>(img.width), static_cast<unsigned>(img.height), &size, r.data(),
                          g.data(), b.data(), index.data(), map.data()) == GIF_ERROR)
      fail(GenericError, "GIF colour reduction failed");
    colours.assign(map.begin(), map.begin() + std::min(size, static_cast<int>(room)));
    for (auto& i : index)
      if (i >= colours.size()) i = static_cast<GifByteType>(colours.size() - 1);
  }
  transparent = -1;
  if (anyTransparent) {
    transparent = static_cast<int>(colours.size());
    colours.push_back(GifColorType{0, 0, 0});
    for (std::size_t i = 0; i < n; ++i)
      if ((img.pixels[i] >> 24) < 128) index[i] = static_cast<GifByteType>(transparent);
  }
  if (colours.empty()) colours.push_back(GifColorType{0, 0, 0});
}

}  // namespace

Bytes encodeGif(const std::vector<GifFrame>& frames, int loopCount) {
  if (frames.empty() || !frames[0].image) fail(InvalidParameter, "no frames to write as GIF");
  const int w = frames[0].image->width, h = frames[0].image->height;
  for (const GifFrame& f : frames) {
    if (!f.image) fail(InvalidParameter, "missing GIF frame");
    checkWritable(*f.image, kGifFmt);
    if (f.image->width != w || f.image->height != h) fail(InvalidParameter, "GIF frames differ in size");
  }
  if (w > 0xFFFF || h > 0xFFFF) fail(InvalidParameter, "image too large for GIF");
  Bytes out;
  Writer writer;
  int error = 0;
  writer.gif = EGifOpen(&out, gifWriteOutput, &error);
  if (!writer.gif) failWrite(error);
  GifFileType* gif = writer.gif;
  EGifSetGifVersion(gif, true);
  if (EGifPutScreenDesc(gif, w, h, 8, 0, nullptr) == GIF_ERROR) failWrite(gif->Error);
  if (loopCount >= 0) {
    const GifByteType app[] = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
    const GifByteType loop[] = {1, static_cast<GifByteType>(loopCount & 0xFF),
                                static_cast<GifByteType>((loopCount >> 8) & 0xFF)};
    if (EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_ERROR ||
        EGifPutExtensionBlock(gif, sizeof app, app) == GIF_ERROR ||
        EGifPutExtensionBlock(gif, sizeof loop, loop) == GIF_ERROR || EGifPutExtensionTrailer(gif) == GIF_ERROR)
      failWrite(gif->Error);
  }
  std::vector<GifColorType> colours;
  std::vector<GifByteType> index;
  for (const GifFrame& f : frames) {
    int transparent = -1;
    indexFrame(*f.image, colours, index, transparent);
    // Disposal 2: each frame is whole, so clear before the next one shows.
    const GifByteType gce[] = {static_cast<GifByteType>((2 << 2) | (transparent >= 0 ? 1 : 0)),
                               static_cast<GifByteType>(f.delay & 0xFF),
                               static_cast<GifByteType>((f.delay >> 8) & 0xFF),
                               static_cast<GifByteType>(transparent >= 0 ? transparent : 0)};
    if (EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, sizeof gce, gce) == GIF_ERROR) failWrite(gif->Error);
    int mapSize = 2;
    while (mapSize < static_cast<int>(colours.size())) mapSize *= 2;
    colours.resize(static_cast<std::size_t>(mapSize), GifColorType{0, 0, 0});
    MapGuard map;
    map.map = GifMakeMapObject(mapSize, colours.data());
    if (!map.map) fail(OutOfMemory, "GIF colour table");
    if (EGifPutImageDesc(gif, 0, 0, w, h, false, map.map) == GIF_ERROR) failWrite(gif->Error);
    for (int y = 0; y < h; ++y)
      if (EGifPutLine(gif, index.data() + static_cast<std::size_t>(y) * w, w) == GIF_ERROR) failWrite(gif->Error);
  }
  const int closed = EGifCloseFile(gif, &error);
  writer.gif = nullptr;
  if (closed == GIF_ERROR) failWrite(error);
  return out;
}

Bytes encodeGif(const Raster& image) { return encodeGif({GifFrame{&image, 0}}, -1); }

}  // namespace gdiplus::codecs
