// Bytes from outside as skin data: the first byte picks the version (1.0 to
// 1.1), the second what reads the rest (a control group with its elements
// and properties, one element, or the details). Reading must never crash or
// allocate beyond the input; data that read write back to bytes that read
// again to an equal group.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "lib/core/dxSkinsCore.h"
#include "platform/rtl/except.h"
#include "platform/rtl/streams.h"

namespace {
const double kVersions[] = {1.0, 1.01, 1.02, 1.03, 1.04, 1.08, 1.09, 1.1};
struct Setup {
  Setup() { core::dxSkinsCoreInitialization(); }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Setup setup;
  if (size < 2) return 0;
  const double version = kVersions[data[0] % 8];
  const int reader = data[1] % 3;
  rtl::TBytesStream stream(rtl::TBytes(data + 2, data + size));
  try {
    if (reader == 0) {
      core::TdxSkinControlGroup group(nullptr, core::dxSkinReadStringFromStream(&stream));
      group.DataRead(&stream, version);
      rtl::TMemoryStream written;
      group.DataWrite(&written);
      written.SetPosition(0);
      core::TdxSkinControlGroup again(nullptr, core::dxSkinReadStringFromStream(&written));
      again.DataRead(&written, 1.1);
      if (again.Elements()->Count() != group.Elements()->Count()) std::abort();
      for (int i = 0; i < group.Elements()->Count(); ++i)
        if (!again.Elements()->Items(i)->Compare(group.Elements()->Items(i))) std::abort();
    } else if (reader == 1) {
      core::TdxSkinElement element(nullptr, u"E");
      element.DataRead(&stream, version);
    } else {
      core::TdxSkinDetails details;
      details.DataRead(&stream, version);
    }
  } catch (const rtl::EReadError&) {
  } catch (const rtl::EClassNotFound&) {
  }
  return 0;
}
