// Feeds untrusted bytes to the image list's stored form: streams starting
// with "TPF0" are read into an existing image list (the "ImageInfo"
// collection with its image and mask bitmaps, plain or compressed, and the
// older platform data); other bytes go to the platform list's data reader.
// Refusals are expected; crashes, leaks and reads past the end are not.
// Whatever was read is then taken out again, as drawing code would.
#include <cstddef>
#include <cstdint>

#include "lib/core/cxImageList.h"
#include "platform/rtl/except.h"
#include "platform/rtl/filer.h"
#include "platform/rtl/streams.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  rtl::TPointerStream stream(data, static_cast<rtl::Int64>(size));
  core::TcxImageList list(16, 16);
  try {
    if (size >= 4 && data[0] == 'T' && data[1] == 'P' && data[2] == 'F' && data[3] == '0') {
      rtl::TReader reader(&stream);
      reader.ReadRootComponent(&list);
    } else {
      list.ReadData(&stream);
    }
  } catch (const rtl::Exception&) {
    // Refusing bad input is the expected outcome.
  }
  ui::TBitmap image, mask;
  for (int i = 0; i < list.Count() && i < 64; ++i) list.GetImageInfo(i, &image, &mask);
  return 0;
}
