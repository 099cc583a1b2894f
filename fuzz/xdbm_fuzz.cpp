// Fuzzes the reader of the library bitmap's stored data: the compressed
// "XDBM" record or, under any other signature, a 32-bit length and a BMP
// file. Any input must either load or raise one of the library's exceptions.
#include <cstddef>
#include <cstdint>

#include "lib/core/cxGraphicsBitmaps.h"
#include "platform/rtl/except.h"
#include "platform/rtl/streams.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  rtl::TMemoryStream stream;
  if (size > 0) stream.WriteBuffer(data, static_cast<rtl::Int64>(size));
  stream.SetPosition(0);
  core::TcxBitmap bitmap;
  try {
    bitmap.ReadData(&stream);
    volatile int sink = bitmap.Width() + bitmap.Height();
    (void)sink;
  } catch (const rtl::Exception&) {
  }
  return 0;
}
