#include "platform/ui/cursors.h"

#include <map>

#include "platform/gdi/png.h"
#include "platform/rtl/resources.h"

namespace ui {
namespace {

constexpr LibraryCursorArt kArt[] = {
    {crDrag, "CR_DRAG", {0, 0}},         {crNoDrop, "CR_NODROP", {11, 11}},
    {crHSplit, "CR_HSPLIT", {12, 11}},   {crVSplit, "CR_VSPLIT", {11, 12}},
    {crMultiDrag, "CR_MULTIDRAG", {0, 0}}, {crSQLWait, "CR_SQLWAIT", {7, 11}},
};

}  // namespace

std::span<const LibraryCursorArt> LibraryCursorTable() { return kArt; }

const LibraryCursorArt* FindLibraryCursorArt(TCursor id) {
  for (const LibraryCursorArt& art : kArt)
    if (art.id == id) return &art;
  return nullptr;
}

const gdi::ImageBGRA* LibraryCursorImage(TCursor id, win::POINT* hotspot) {
  static std::map<TCursor, gdi::ImageBGRA> decoded;
  const LibraryCursorArt* art = FindLibraryCursorArt(id);
  if (!art) return nullptr;
  auto it = decoded.find(id);
  if (it == decoded.end()) {
    const std::vector<rtl::Byte> png = rtl::LoadResourceBytes("CURSOR", art->resource);
    it = decoded.emplace(id, gdi::ReadPng(png.data(), png.size())).first;
  }
  if (hotspot) *hotspot = art->hotspot;
  return &it->second;
}

}  // namespace ui
