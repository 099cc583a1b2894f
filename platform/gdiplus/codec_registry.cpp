// The built-in codecs as the platform lists them (class identifiers, MIME
// types, signatures), and loading and saving images through them.
#include <cstring>

#include "platform/gdiplus/image.h"
#include "platform/gdiplus/impl/objects.h"
#include "platform/rtl/streams.h"

namespace gdiplus {
namespace {

constexpr CLSID codecClsid(std::uint32_t last) {
  return CLSID{0x557CF400u + last, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
}

struct Codec {
  codecs::FileFormat format;
  CLSID clsid;
  GUID formatId;
  const char16_t* name;
  const char16_t* description;
  const char16_t* extensions;
  const char16_t* mime;
  bool encoder;
  std::vector<std::vector<BYTE>> signatures;
};

const std::vector<Codec>& codecTable() {
  static const std::vector<Codec> table = {
      {codecs::FileFormat::Bmp, codecClsid(0), ImageFormatBMP, u"Built-in BMP Codec", u"BMP", u"*.BMP;*.DIB;*.RLE",
       u"image/bmp", true, {{'B', 'M'}}},
      {codecs::FileFormat::Jpeg, codecClsid(1), ImageFormatJPEG, u"Built-in JPEG Codec", u"JPEG",
       u"*.JPG;*.JPEG;*.JPE;*.JFIF", u"image/jpeg", true, {{0xFF, 0xD8}}},
      {codecs::FileFormat::Gif, codecClsid(2), ImageFormatGIF, u"Built-in GIF Codec", u"GIF", u"*.GIF", u"image/gif",
       true, {{'G', 'I', 'F', '8', '9', 'a'}, {'G', 'I', 'F', '8', '7', 'a'}}},
      {codecs::FileFormat::Tiff, codecClsid(5), ImageFormatTIFF, u"Built-in TIFF Codec", u"TIFF", u"*.TIF;*.TIFF",
       u"image/tiff", true, {{'I', 'I', 42, 0}, {'M', 'M', 0, 42}}},
      {codecs::FileFormat::Png, codecClsid(6), ImageFormatPNG, u"Built-in PNG Codec", u"PNG", u"*.PNG",
       u"image/png", true, {{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}}},
      {codecs::FileFormat::Ico, codecClsid(7), ImageFormatIcon, u"Built-in ICO Codec", u"ICO", u"*.ICO",
       u"image/x-icon", false, {{0, 0, 1, 0}}},
  };
  return table;
}

std::size_t textBytes(const char16_t* s) { return (std::char_traits<char16_t>::length(s) + 1) * sizeof(char16_t); }

std::vector<const Codec*> listFor(bool encoders) {
  std::vector<const Codec*> out;
  for (const Codec& c : codecTable())
    if (!encoders || c.encoder) out.push_back(&c);
  return out;
}

UINT listSize(const std::vector<const Codec*>& list) {
  std::size_t size = list.size() * sizeof(ImageCodecInfo);
  for (const Codec* c : list) {
    size += textBytes(c->name) + textBytes(c->description) + textBytes(c->extensions) + textBytes(c->mime);
    for (const auto& s : c->signatures) size += 2 * s.size();
  }
  return static_cast<UINT>(size);
}

GpStatus fillList(bool encoders, UINT count, UINT size, ImageCodecInfo* out) {
  const auto list = listFor(encoders);
  if (!out || count != list.size() || size != listSize(list)) return InvalidParameter;
  BYTE* tail = reinterpret_cast<BYTE*>(out + list.size());
  auto text = [&](const char16_t* s) {
    const std::size_t n = textBytes(s);
    std::memcpy(tail, s, n);
    const auto* p = reinterpret_cast<const WCHAR*>(tail);
    tail += n;
    return p;
  };
  for (std::size_t i = 0; i < list.size(); ++i) {
    const Codec& c = *list[i];
    ImageCodecInfo& info = out[i];
    info.Clsid = c.clsid;
    info.FormatID = c.formatId;
    info.CodecName = text(c.name);
    info.DllName = nullptr;
    info.FormatDescription = text(c.description);
    info.FilenameExtension = text(c.extensions);
    info.MimeType = text(c.mime);
    info.Flags = ImageCodecFlagsDecoder | ImageCodecFlagsSupportBitmap | ImageCodecFlagsBuiltin |
                 (c.encoder ? ImageCodecFlagsEncoder : 0);
    info.Version = 1;
    info.SigCount = static_cast<DWORD>(c.signatures.size());
    info.SigSize = static_cast<DWORD>(c.signatures.empty() ? 0 : c.signatures[0].size());
    info.SigPattern = tail;
    for (const auto& s : c.signatures) {
      std::memcpy(tail, s.data(), s.size());
      tail += s.size();
    }
    info.SigMask = tail;
    for (const auto& s : c.signatures) {
      std::memset(tail, 0xFF, s.size());
      tail += s.size();
    }
  }
  return Ok;
}

bool sameMime(const char16_t* a, const char16_t* b) {
  auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; };
  for (; *a && *b; ++a, ++b)
    if (lower(*a) != lower(*b)) return false;
  return *a == *b;
}

GpStatus lookUp(const char16_t* mime, CLSID* clsid, bool encoders) {
  if (!mime || !clsid) return InvalidParameter;
  for (const Codec* c : listFor(encoders))
    if (sameMime(c->mime, mime)) {
      *clsid = c->clsid;
      return Ok;
    }
  return GenericError;
}

int jpegQuality(const EncoderParameters* params) {
  if (!params) return 75;
  for (UINT i = 0; i < params->Count; ++i) {
    const EncoderParameter& p = params->Parameter[i];
    if (p.Guid == EncoderQuality) {
      need(p.NumberOfValues == 1 && p.Type == EncoderParameterValueTypeLong && p.Value, "quality parameter");
      const ULONG q = *static_cast<const ULONG*>(p.Value);
      need(q <= 100, "quality value");
      return static_cast<int>(q);
    }
  }
  return 75;
}

codecs::Bytes encode(GpImage* image, const CLSID* encoder, const EncoderParameters* params) {
  need(encoder, "encoder");
  GpBitmap* b = asBitmap(image);
  if (b->locked) fail(WrongState, "the bitmap is locked");
  const Codec* codec = nullptr;
  for (const Codec* c : listFor(true))
    if (c->clsid == *encoder) codec = c;
  if (!codec) fail(FileNotFound, "no encoder with that class identifier");
  const codecs::Raster pixels = b->straightCopy();
  switch (codec->format) {
    case codecs::FileFormat::Bmp: return codecs::encodeBmp(pixels);
    case codecs::FileFormat::Jpeg: return codecs::encodeJpeg(pixels, jpegQuality(params));
    case codecs::FileFormat::Gif: return codecs::encodeGif(pixels);
    case codecs::FileFormat::Tiff: return codecs::encodeTiff(pixels);
    case codecs::FileFormat::Png: return codecs::encodePng(pixels);
    default: break;
  }
  fail(NotImplemented, "encoder");
}

}  // namespace

GpStatus GdipGetImageEncodersSize(UINT* count, UINT* size) {
  if (!count || !size) return InvalidParameter;
  const auto list = listFor(true);
  *count = static_cast<UINT>(list.size());
  *size = listSize(list);
  return Ok;
}

GpStatus GdipGetImageEncoders(UINT count, UINT size, ImageCodecInfo* encoders) {
  return fillList(true, count, size, encoders);
}

GpStatus GdipGetImageDecodersSize(UINT* count, UINT* size) {
  if (!count || !size) return InvalidParameter;
  const auto list = listFor(false);
  *count = static_cast<UINT>(list.size());
  *size = listSize(list);
  return Ok;
}

GpStatus GdipGetImageDecoders(UINT count, UINT size, ImageCodecInfo* decoders) {
  return fillList(false, count, size, decoders);
}

GpStatus encoderClsid(const char16_t* mimeType, CLSID* clsid) { return lookUp(mimeType, clsid, true); }
GpStatus decoderClsid(const char16_t* mimeType, CLSID* clsid) { return lookUp(mimeType, clsid, false); }

GpStatus loadImageFromMemory(const void* data, std::size_t size, GpImage** image) {
  return guarded([&] {
    need(image && (data || size == 0), "image");
    *image = nullptr;
    codecs::DecodedImage decoded = codecs::decode({static_cast<const std::uint8_t*>(data), size});
    *image = bitmapFromDecoded(std::move(decoded)).release();
  });
}

GpStatus saveImageToMemory(GpImage* image, const CLSID* encoder, const EncoderParameters* params,
                           std::vector<std::uint8_t>* out) {
  return guarded([&] {
    need(out, "output");
    *out = encode(image, encoder, params);
  });
}

GpStatus GdipLoadImageFromStream(rtl::TStream* stream, GpImage** image) {
  std::vector<std::uint8_t> bytes;
  const GpStatus read = guarded([&] {
    need(stream && image, "stream");
    std::uint8_t chunk[65536];
    for (;;) {
      const rtl::Int64 n = stream->Read(chunk, sizeof chunk);
      if (n <= 0) break;
      bytes.insert(bytes.end(), chunk, chunk + n);
    }
  });
  if (read != Ok) return read;
  return loadImageFromMemory(bytes.data(), bytes.size(), image);
}

GpStatus GdipCreateBitmapFromStream(rtl::TStream* stream, GpBitmap** bitmap) {
  GpImage* image = nullptr;
  const GpStatus s = GdipLoadImageFromStream(stream, bitmap ? &image : nullptr);
  if (s == Ok) *bitmap = static_cast<GpBitmap*>(image);
  return s;
}

GpStatus GdipSaveImageToStream(GpImage* image, rtl::TStream* stream, const CLSID* encoder,
                               const EncoderParameters* params) {
  return guarded([&] {
    need(stream, "stream");
    const codecs::Bytes bytes = encode(image, encoder, params);
    std::size_t done = 0;
    while (done < bytes.size()) {
      const rtl::Int64 n = stream->Write(bytes.data() + done, static_cast<rtl::Int64>(bytes.size() - done));
      if (n <= 0) fail(Win32Error, "the stream took no more bytes");
      done += static_cast<std::size_t>(n);
    }
  });
}

}  // namespace gdiplus
