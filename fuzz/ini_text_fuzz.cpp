// Bytes from outside as an INI file and as a string list: parsing must never
// crash, and what TMemIniFile writes back must parse to the same text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/rtl/inifiles.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/stringlist.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  rtl::TMemIniFile ini(rtl::String{});
  ini.SetBytes(data, size);
  rtl::TStringList written;
  ini.GetStrings(written);
  rtl::TMemIniFile again(rtl::String{});
  again.SetStrings(written);
  rtl::TStringList rewritten;
  again.GetStrings(rewritten);
  if (!rewritten.Equals(written)) std::abort();

  rtl::TStringList sections;
  ini.ReadSections(sections);
  for (int i = 0; i < sections.Count() && i < 8; ++i) {
    rtl::TStringList values;
    ini.ReadSectionValues(sections[i], values);
    ini.ReadInteger(sections[i], values.Count() ? values.Names(0) : rtl::String(), 0);
    ini.ReadDateTime(sections[i], values.Count() ? values.Names(0) : rtl::String(), 0);
  }

  rtl::TBytesStream stream(rtl::TBytes(data, data + size));
  rtl::TStringList list;
  list.LoadFromStream(stream);
  rtl::TStringList delimited;
  delimited.SetCommaText(list.Text());
  rtl::TStringList back;
  back.SetCommaText(delimited.CommaText());
  if (!back.Equals(delimited)) std::abort();
  return 0;
}
