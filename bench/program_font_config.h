#pragma once
// The font configuration compiled into the program, loaded on its own, so
// that a pango baseline lays out the same fonts as the program does.
#include <fontconfig/fontconfig.h>

#include <string_view>

#include "platform/rtl/resources.h"

namespace bench {

inline FcConfig* ProgramFontConfig() {
  const rtl::TResourceEntry* res = rtl::FindResource(std::string_view("FONTCONFIG"), std::string_view("fonts.conf"));
  if (!res) return nullptr;
  FcConfig* config = FcConfigCreate();
  if (!config) return nullptr;
  if (!FcConfigParseAndLoadFromMemory(config, reinterpret_cast<const FcChar8*>(res->Data), FcTrue) ||
      !FcConfigBuildFonts(config)) {
    FcConfigDestroy(config);
    return nullptr;
  }
  return config;
}

}  // namespace bench
