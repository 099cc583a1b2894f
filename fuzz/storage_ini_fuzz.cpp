// Bytes from outside as a stored layout INI file: the section index and the
// string decoding of every storage version must never crash, and a text the
// writer escapes must decode back unchanged at versions 1 and 2.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "lib/core/cxStorage.h"
#include "platform/rtl/inifiles.h"
#include "platform/rtl/stringlist.h"

namespace {

void walk(core::TcxIniFileReader& reader, const rtl::String& name, const rtl::String& className,
          int depth, int& budget) {
  if (depth > 16 || --budget < 0) return;
  rtl::TStringList props;
  reader.ReadProperties(name, className, &props);
  for (int i = 0; i < props.Count(); ++i) reader.ReadProperty(name, className, props[i]);
  rtl::TStringList names, classes;
  reader.ReadChildren(name, className, &names, &classes);
  if (names.Count() != classes.Count()) std::abort();
  for (int i = 0; i < names.Count(); ++i) walk(reader, name + u"/" + names[i], classes[i], depth + 1, budget);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  core::TcxIniFileReader reader(rtl::String{}, nullptr);
  reader.IniFile()->SetBytes(data, size);
  reader.BeginRead();
  rtl::TStringList sections;
  reader.IniFile()->ReadSections(sections);
  int budget = 2000;
  for (int i = 0; i < sections.Count() && budget > 0; ++i) {
    const rtl::String section = sections[i];
    const auto colon = section.find(u": ");
    if (colon == rtl::String::npos || section.find(u'/') != rtl::String::npos) continue;
    walk(reader, section.substr(0, colon), section.substr(colon + 2), 0, budget);
  }

  // The bytes as one value text, decoded by each version.
  rtl::String text;
  for (std::size_t i = 0; i + 1 < size && text.size() < 4096; i += 2)
    text.push_back(static_cast<rtl::Char>(data[i] | (data[i + 1] << 8)));
  for (int version : {-1, 0, 1, 2, 3}) core::TcxIniFileReader::DecodeString(u"\"" + text + u"\"", version);
  if (text.find(u'\r') == rtl::String::npos && text.find(u'\n') == rtl::String::npos) {
    const rtl::String encoded = core::TcxIniFileWriter::EncodeString(text);
    if (core::TcxIniFileReader::DecodeString(encoded, 2) != text) std::abort();
  }
  return 0;
}
