// Bytes from outside as hexadecimal text, as a marked text stream and as the
// binary forms of the geometry classes: short or damaged input must give a
// clean result or a read error, never a read past the end.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "lib/core/cxGeometry.h"
#include "lib/core/dxCore.h"
#include "platform/rtl/except.h"
#include "platform/rtl/streams.h"

namespace {

void checkHex(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::string bytes = core::dxHexToBin(text);
  if (bytes.size() > size / 2) std::abort();
  // What was decoded encodes back to the same digits, in upper case.
  const rtl::String hex = core::dxBinToHex(bytes);
  for (std::size_t i = 0; i < hex.size(); ++i) {
    const char c = text[i];
    const char upper = (c >= 'a' && c <= 'f') ? static_cast<char>(c - 'a' + 'A') : c;
    if (hex[i] != static_cast<char16_t>(upper)) std::abort();
  }
  rtl::String wide(size / 2, u'\0');
  for (std::size_t i = 0; i < wide.size(); ++i)
    wide[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
  if (core::dxHexToBin(rtl::StringView(wide)).size() > wide.size() / 2) std::abort();
}

void checkStream(const std::uint8_t* data, std::size_t size) {
  const int start = size > 0 ? data[0] % 8 : 0;
  rtl::TPointerStream stream(data, static_cast<rtl::Int64>(size));
  stream.SetPosition(start);
  const rtl::Int64 before = stream.Position();
  core::TdxStream wrapped(&stream);
  const rtl::Int64 after = stream.Position();
  if (after != before && after != before + 6) std::abort();
  if (after == before + 6 && size < static_cast<std::size_t>(start) + 6) std::abort();
  const std::string rest = core::ReadStringFromStream(&wrapped);
  const rtl::Int64 expected = static_cast<rtl::Int64>(size) - after;
  if (static_cast<rtl::Int64>(rest.size()) != (expected > 0 ? expected : 0)) std::abort();
  stream.SetPosition(start);
  rtl::Variant v = core::dxStreamToVariant(&stream, static_cast<rtl::Int64>(size));
  if (stream.Position() != start) std::abort();
  (void)core::dxVariantToAnsiString(v);
}

void checkGeometry(const std::uint8_t* data, std::size_t size) {
  rtl::TPointerStream stream(data, static_cast<rtl::Int64>(size));
  core::TcxRect rect(nullptr);
  core::TcxSize sz(nullptr);
  core::TcxMargin margin(nullptr);
  core::TcxGeometryObject* objects[] = {&rect, &sz, &margin};
  for (core::TcxGeometryObject* o : objects) {
    try {
      o->LoadFromStream(&stream);
    } catch (const rtl::EReadError&) {
      return;
    }
  }
  if (sz.Size().cx < 0 || sz.Size().cy < 0) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  checkHex(data, size);
  checkStream(data, size);
  checkGeometry(data, size);
  return 0;
}
