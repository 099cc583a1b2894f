// libFuzzer target: the library's image graphic over untrusted bytes (form
// files, resources, the clipboard). The first byte picks the way in:
//   0  an image loaded from a stream and realised (decode, size, pixels,
//      frames, saving in its own format);
//   1  the same as a glyph (length-prefixed bitmaps);
//   2  glyph-stream detection alone: it must leave the stream where it was
//      or at the bitmap header, and read nothing beyond the bytes given;
//   3  the clipboard: the bytes as a PNG block and as a bitmap (CF_DIB),
//      pasted.
// A refused input raises one of the library's exceptions; nothing else may
// happen.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "lib/core/dxSmartImage.h"
#include "platform/rtl/except.h"
#include "platform/rtl/streams.h"
#include "platform/win/clipboard.h"

namespace {

using namespace core;

template <class T>
void realise(const std::uint8_t* data, std::size_t size) {
  ui::OwnedObject<T> image(rtl::Create<T>());
  rtl::TMemoryStream stream;
  if (size) stream.WriteBuffer(data, rtl::Int64(size));
  stream.SetPosition(0);
  image->LoadFromStream(&stream);
  const gdi::SIZE extent = image->Size();
  const std::vector<std::uint32_t> bits = image->GetBitmapBits();
  if (bits.size() != std::size_t(extent.cx) * std::size_t(extent.cy)) __builtin_trap();
  const int frames = image->AnimationFrameCount();
  if (frames > 1) {
    image->AnimationFrameDelay();
    image->AnimationLoopCount();
    image->SetActiveFrame(frames - 1);
  }
  rtl::TMemoryStream out;
  image->SaveToStream(&out);
}

void detect(const std::uint8_t* data, std::size_t size) {
  rtl::TMemoryStream stream;
  if (size) stream.WriteBuffer(data, rtl::Int64(size));
  stream.SetPosition(0);
  const bool found = TdxSmartGlyphDataHelper::IsBitmapStream(&stream);
  const rtl::Int64 position = stream.Position();
  if (!(found ? (position == 0 || position == 4) : position == 0)) __builtin_trap();
}

win::HGLOBAL block(const std::uint8_t* data, std::size_t size) {
  win::HGLOBAL h = win::GlobalAlloc(win::GMEM_MOVEABLE, size);
  if (h && size) {
    std::memcpy(win::GlobalLock(h), data, size);
    win::GlobalUnlock(h);
  }
  return h;
}

void paste(const std::uint8_t* data, std::size_t size) {
  ui::OwnedObject<TdxGPImage> image(rtl::Create<TdxGPImage>());
  win::HGLOBAL png = block(data, size);
  image->LoadFromClipboardFormat(dxImageClipboardFormat(TdxImageDataFormat::dxImagePng), png);
  win::GlobalFree(png);
  if (!win::OpenClipboard(nullptr)) return;
  win::EmptyClipboard();
  win::SetClipboardData(win::CF_DIB, block(data, size));
  win::CloseClipboard();
  image->PasteFromClipboard();
  image->Size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t* rest = data + 1;
  const std::size_t restSize = size - 1;
  try {
    switch (data[0] % 4) {
      case 0: realise<TdxSmartImage>(rest, restSize); break;
      case 1: realise<TdxSmartGlyph>(rest, restSize); break;
      case 2: detect(rest, restSize); break;
      default: paste(rest, restSize); break;
    }
  } catch (const EdxException&) {
    // EdxGdipException for a failing decode; EdxException for a format
    // without an encoder.
  }
  return 0;
}
