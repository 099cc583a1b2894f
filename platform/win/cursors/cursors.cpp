#include "platform/win/cursors/cursors.h"

#include <map>

#include "platform/gdi/png.h"
#include "platform/rtl/resources.h"

namespace win {
namespace {

constexpr SystemCursorArt kCursors[] = {
    {32512, "IDC_ARROW", {0, 0}},     {32513, "IDC_IBEAM", {5, 10}},
    {32514, "IDC_WAIT", {10, 11}},    {32515, "IDC_CROSS", {10, 10}},
    {32516, "IDC_UPARROW", {7, 1}},   {32642, "IDC_SIZENWSE", {11, 11}},
    {32643, "IDC_SIZENESW", {11, 11}}, {32644, "IDC_SIZEWE", {11, 8}},
    {32645, "IDC_SIZENS", {8, 11}},   {32646, "IDC_SIZEALL", {11, 11}},
    {32648, "IDC_NO", {11, 11}},      {32649, "IDC_HAND", {7, 0}},
    {32650, "IDC_APPSTARTING", {0, 0}}, {32651, "IDC_HELP", {0, 0}},
};

}  // namespace

std::span<const SystemCursorArt> SystemCursorTable() { return kCursors; }

const gdi::ImageBGRA* SystemCursorImage(UINT id, POINT* hotspot) {
  static std::map<UINT, gdi::ImageBGRA> decoded;
  for (const SystemCursorArt& art : kCursors) {
    if (art.id != id) continue;
    auto it = decoded.find(id);
    if (it == decoded.end()) {
      const std::vector<rtl::Byte> png = rtl::LoadResourceBytes("CURSOR", art.resource);
      it = decoded.emplace(id, gdi::ReadPng(png.data(), png.size())).first;
    }
    if (hotspot) *hotspot = art.hotspot;
    return &it->second;
  }
  return nullptr;
}

}  // namespace win
