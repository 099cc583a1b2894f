#include "platform/theme/parts.h"

#include <array>
#include <cstddef>
#include <iterator>

#include "platform/gdi/objects.h"

namespace theme::detail {

namespace {

struct ClassName {
  Cls cls;
  const char16_t* name;
};

constexpr ClassName kClasses[] = {
    {Cls::Button, u"Button"},         {Cls::ComboBox, u"ComboBox"},     {Cls::Edit, u"Edit"},
    {Cls::ExplorerBar, u"ExplorerBar"}, {Cls::Header, u"Header"},       {Cls::ListBox, u"ListBox"},
    {Cls::ListView, u"ListView"},     {Cls::Menu, u"Menu"},             {Cls::Progress, u"Progress"},
    {Cls::ScrollBar, u"ScrollBar"},   {Cls::Spin, u"Spin"},             {Cls::Tab, u"Tab"},
    {Cls::ToolBar, u"ToolBar"},       {Cls::ToolTip, u"ToolTip"},       {Cls::TrackBar, u"TrackBar"},
    {Cls::TreeView, u"TreeView"},     {Cls::Window, u"Window"},         {Cls::Navigation, u"Navigation"},
    {Cls::ExplorerListView, u"Explorer::ListView"}, {Cls::TextStyle, u"TextStyle"},
};

constexpr MARGINS M(int l, int r, int t, int b) { return MARGINS{l, r, t, b}; }
constexpr MARGINS M0{};

// The whole catalogue. Measures are at 96 dpi; the look is flat with one
// accent colour, the same across every class.
constexpr PartDef kParts[] = {
    // class, part, states, kind, true size, min size, content margins, sizing margins, transparent
    {Cls::Button, 1, 6, Kind::PushButton, {8, 8}, {6, 6}, M(3, 3, 3, 3), M(3, 3, 3, 3), true},
    {Cls::Button, 2, 8, Kind::Radio, {13, 13}, {13, 13}, M0, M0, true},
    {Cls::Button, 3, 12, Kind::CheckBox, {13, 13}, {13, 13}, M0, M0, false},
    {Cls::Button, 4, 2, Kind::GroupBox, {8, 8}, {4, 4}, M(2, 2, 2, 2), M(2, 2, 2, 2), true},
    {Cls::Button, 6, 6, Kind::PushButton, {8, 8}, {6, 6}, M(9, 9, 9, 9), M(3, 3, 3, 3), true},
    {Cls::Button, 7, 6, Kind::Chevron, {20, 20}, {20, 20}, M0, M0, true},
    {Cls::ComboBox, 1, 4, Kind::DropButton, {17, 17}, {8, 8}, M0, M(1, 1, 1, 1), false},
    {Cls::Edit, 0, 6, Kind::EditField, {8, 8}, {2, 2}, M(1, 1, 1, 1), M(1, 1, 1, 1), false},
    {Cls::Edit, 1, 6, Kind::EditField, {8, 8}, {2, 2}, M(1, 1, 1, 1), M(1, 1, 1, 1), false},
    {Cls::Edit, 3, 6, Kind::EditField, {8, 8}, {2, 2}, M(1, 1, 1, 1), M(1, 1, 1, 1), false},
    {Cls::Edit, 6, 6, Kind::EditField, {8, 8}, {2, 2}, M(1, 1, 1, 1), M(1, 1, 1, 1), false},
    {Cls::ExplorerBar, 6, 3, Kind::Chevron, {20, 20}, {20, 20}, M0, M0, true},
    {Cls::ExplorerBar, 7, 3, Kind::Chevron, {20, 20}, {20, 20}, M0, M0, true},
    {Cls::Header, 1, 6, Kind::HeaderItem, {8, 22}, {4, 4}, M(4, 4, 2, 2), M(2, 2, 2, 2), false},
    {Cls::Header, 2, 6, Kind::HeaderItem, {8, 22}, {4, 4}, M(4, 4, 2, 2), M(2, 2, 2, 2), false},
    {Cls::Header, 3, 6, Kind::HeaderItem, {8, 22}, {4, 4}, M(4, 4, 2, 2), M(2, 2, 2, 2), false},
    {Cls::ListBox, 3, 4, Kind::Frame, {8, 8}, {2, 2}, M(1, 1, 1, 1), M(1, 1, 1, 1), false},
    {Cls::ListView, 5, 1, Kind::Frame, {8, 8}, {2, 2}, M(1, 1, 1, 1), M(1, 1, 1, 1), false},
    {Cls::Menu, 9, 1, Kind::Frame, {8, 8}, {2, 2}, M(2, 2, 2, 2), M(1, 1, 1, 1), false},
    {Cls::Menu, 13, 1, Kind::Fill, {3, 3}, {3, 3}, M0, M0, false},
    {Cls::Menu, 14, 4, Kind::MenuItem, {8, 22}, {4, 4}, M(2, 2, 2, 2), M(2, 2, 2, 2), true},
    {Cls::Menu, 15, 1, Kind::SeparatorH, {3, 7}, {3, 7}, M0, M0, true},
    {Cls::Progress, 1, 1, Kind::ProgressBar, {8, 8}, {2, 2}, M(1, 1, 1, 1), M(1, 1, 1, 1), false},
    {Cls::Progress, 3, 1, Kind::ProgressChunk, {8, 8}, {1, 1}, M0, M0, false},
    {Cls::Progress, 8, 1, Kind::ProgressChunk, {8, 8}, {1, 1}, M0, M0, false},
    {Cls::ScrollBar, 1, 16, Kind::ArrowButton, {17, 17}, {8, 8}, M0, M(2, 2, 2, 2), false},
    {Cls::ScrollBar, 2, 4, Kind::Thumb, {17, 17}, {8, 8}, M(3, 3, 2, 2), M(3, 3, 3, 3), false},
    {Cls::ScrollBar, 3, 4, Kind::Thumb, {17, 17}, {8, 8}, M(2, 2, 3, 3), M(3, 3, 3, 3), false},
    {Cls::ScrollBar, 4, 4, Kind::Track, {17, 17}, {1, 1}, M0, M0, false},
    {Cls::ScrollBar, 5, 4, Kind::Track, {17, 17}, {1, 1}, M0, M0, false},
    {Cls::ScrollBar, 6, 4, Kind::Track, {17, 17}, {1, 1}, M0, M0, false},
    {Cls::ScrollBar, 7, 4, Kind::Track, {17, 17}, {1, 1}, M0, M0, false},
    {Cls::ScrollBar, 8, 4, Kind::Gripper, {8, 8}, {8, 8}, M0, M0, true},
    {Cls::ScrollBar, 9, 4, Kind::Gripper, {8, 8}, {8, 8}, M0, M0, true},
    {Cls::ScrollBar, 10, 4, Kind::SizeBox, {17, 17}, {17, 17}, M0, M0, true},
    {Cls::Spin, 1, 4, Kind::ArrowButton, {15, 9}, {8, 6}, M0, M(1, 1, 1, 1), false},
    {Cls::Spin, 2, 4, Kind::ArrowButton, {15, 9}, {8, 6}, M0, M(1, 1, 1, 1), false},
    {Cls::Tab, 1, 5, Kind::TabItem, {8, 21}, {4, 4}, M(6, 6, 3, 2), M(3, 3, 3, 0), true},
    {Cls::Tab, 9, 1, Kind::TabPane, {8, 8}, {2, 2}, M(2, 2, 2, 2), M(2, 2, 2, 2), false},
    {Cls::ToolBar, 1, 6, Kind::ToolButton, {22, 22}, {4, 4}, M(3, 3, 3, 3), M(2, 2, 2, 2), true},
    {Cls::ToolBar, 5, 1, Kind::SeparatorV, {6, 6}, {6, 6}, M0, M0, true},
    {Cls::ToolBar, 6, 1, Kind::SeparatorH, {6, 6}, {6, 6}, M0, M0, true},
    {Cls::ToolTip, 1, 4, Kind::TipFill, {8, 8}, {4, 4}, M(6, 6, 3, 3), M(1, 1, 1, 1), false},
    {Cls::TrackBar, 1, 1, Kind::TrackGroove, {4, 4}, {4, 4}, M(1, 1, 1, 1), M(1, 1, 1, 1), false},
    {Cls::TrackBar, 2, 1, Kind::TrackGroove, {4, 4}, {4, 4}, M(1, 1, 1, 1), M(1, 1, 1, 1), false},
    {Cls::TrackBar, 3, 5, Kind::TrackThumb, {11, 21}, {11, 21}, M0, M0, true},
    {Cls::TrackBar, 4, 5, Kind::TrackThumb, {11, 21}, {11, 21}, M0, M0, true},
    {Cls::TrackBar, 5, 5, Kind::TrackThumb, {11, 21}, {11, 21}, M0, M0, true},
    {Cls::TrackBar, 6, 5, Kind::TrackThumb, {21, 11}, {21, 11}, M0, M0, true},
    {Cls::TrackBar, 7, 5, Kind::TrackThumb, {21, 11}, {21, 11}, M0, M0, true},
    {Cls::TrackBar, 8, 5, Kind::TrackThumb, {21, 11}, {21, 11}, M0, M0, true},
    {Cls::TreeView, 2, 2, Kind::TreeGlyph, {9, 9}, {9, 9}, M0, M0, true},
    {Cls::Window, 19, 4, Kind::CloseButton, {13, 13}, {13, 13}, M0, M0, true},
    {Cls::Navigation, 1, 4, Kind::BackButton, {30, 30}, {30, 30}, M0, M0, true},
    {Cls::ExplorerListView, 1, 6, Kind::ListItem, {8, 8}, {2, 2}, M(2, 2, 2, 2), M(2, 2, 2, 2), true},
    {Cls::TextStyle, 6, 4, Kind::None, {0, 0}, {0, 0}, M0, M0, true},
};

char16_t upper(char16_t c) { return c >= u'a' && c <= u'z' ? char16_t(c - u'a' + u'A') : c; }

constexpr Vis kNHPD[] = {Vis::Normal, Vis::Hot, Vis::Pressed, Vis::Disabled};

// --- the palette ---------------------------------------------------------------------------------
constexpr COLORREF kWindow = gdi::RGB(255, 255, 255);
constexpr COLORREF kFace = gdi::RGB(240, 241, 243);
constexpr COLORREF kFaceHot = gdi::RGB(229, 238, 251);
constexpr COLORREF kFacePressed = gdi::RGB(204, 224, 248);
constexpr COLORREF kFaceDisabled = gdi::RGB(244, 244, 244);
constexpr COLORREF kBorder = gdi::RGB(173, 179, 188);
constexpr COLORREF kBorderHot = gdi::RGB(74, 139, 232);
constexpr COLORREF kAccent = gdi::RGB(43, 108, 214);
constexpr COLORREF kAccentPressed = gdi::RGB(31, 85, 176);
constexpr COLORREF kBorderDisabled = gdi::RGB(212, 215, 219);
constexpr COLORREF kText = gdi::RGB(30, 30, 30);
constexpr COLORREF kTextDisabled = gdi::RGB(160, 160, 160);
constexpr COLORREF kGlyph = gdi::RGB(80, 86, 96);
constexpr COLORREF kEdgeLight = gdi::RGB(250, 251, 252);
constexpr COLORREF kEdgeHighlight = gdi::RGB(226, 229, 234);
constexpr COLORREF kSelection = gdi::RGB(204, 228, 252);
constexpr COLORREF kSelectionHot = gdi::RGB(188, 220, 252);
constexpr COLORREF kSelectionInactive = gdi::RGB(222, 224, 228);
constexpr COLORREF kHotItem = gdi::RGB(232, 242, 254);
constexpr COLORREF kCloseHot = gdi::RGB(232, 17, 35);
constexpr COLORREF kClosePressed = gdi::RGB(241, 112, 122);
constexpr COLORREF kTip = gdi::RGB(250, 250, 250);

COLORREF faceOf(Vis v) {
  switch (v) {
    case Vis::Hot: return kFaceHot;
    case Vis::Pressed: return kFacePressed;
    case Vis::Disabled: return kFaceDisabled;
    case Vis::Selected: return kWindow;
    default: return kFace;
  }
}

COLORREF borderOf(Vis v) {
  switch (v) {
    case Vis::Hot: return kBorderHot;
    case Vis::Pressed:
    case Vis::Focused: return kAccent;
    case Vis::Disabled: return kBorderDisabled;
    default: return kBorder;
  }
}

// Fields that hold content (edits, panes, boxes) are white, not face-coloured.
bool isField(Kind k) {
  switch (k) {
    case Kind::EditField: case Kind::Frame: case Kind::TabPane: case Kind::Fill: case Kind::ProgressBar:
    case Kind::ListItem: return true;
    default: return false;
  }
}

COLORREF fillOf(const PartDef& part, const Look& look) {
  switch (part.kind) {
    case Kind::CheckBox:
    case Kind::Radio:
      if (look.mark != Mark::None)
        return look.vis == Vis::Disabled ? kBorderDisabled
               : look.vis == Vis::Pressed ? kAccentPressed
               : look.vis == Vis::Hot     ? kBorderHot
                                          : kAccent;
      return look.vis == Vis::Normal ? kWindow : faceOf(look.vis);
    case Kind::ProgressChunk: return kAccent;
    case Kind::TipFill: return kTip;
    case Kind::MenuItem: return look.vis == Vis::Hot ? kHotItem : kWindow;
    case Kind::ListItem:
      if (look.vis == Vis::Hot) return kHotItem;
      if (look.vis == Vis::Selected)
        return look.mark == Mark::Mixed ? kSelectionInactive : look.mark == Mark::Checked ? kSelectionHot : kSelection;
      return kWindow;
    case Kind::ToolButton:
      if (look.mark == Mark::Checked) return look.vis == Vis::Hot ? kFacePressed : kFaceHot;
      return look.vis == Vis::Normal ? kFace : faceOf(look.vis);
    case Kind::CloseButton:
      return look.vis == Vis::Hot ? kCloseHot : look.vis == Vis::Pressed ? kClosePressed : kFace;
    case Kind::TrackThumb:
      return look.vis == Vis::Disabled ? kBorderDisabled
             : look.vis == Vis::Pressed ? kAccentPressed
             : look.vis == Vis::Hot     ? kBorderHot
                                        : kAccent;
    case Kind::Thumb:
      return look.vis == Vis::Pressed ? gdi::RGB(140, 146, 156)
             : look.vis == Vis::Hot   ? gdi::RGB(166, 172, 181)
                                      : gdi::RGB(194, 198, 205);
    case Kind::Track: return look.vis == Vis::Pressed ? kBorderDisabled : kFace;
    default:
      if (isField(part.kind)) return look.vis == Vis::Disabled ? kFaceDisabled : kWindow;
      return faceOf(look.vis);
  }
}

}  // namespace

std::optional<Cls> classByName(const char16_t* name, int length) {
  for (const ClassName& c : kClasses) {
    int i = 0;
    while (i < length && c.name[i] && upper(c.name[i]) == upper(name[i])) ++i;
    if (i == length && !c.name[i]) return c.cls;
  }
  return std::nullopt;
}

const char16_t* className(Cls cls) {
  for (const ClassName& c : kClasses)
    if (c.cls == cls) return c.name;
  return u"";
}

const PartDef* findPart(Cls cls, int part) {
  for (const PartDef& p : kParts)
    if (p.cls == cls && p.part == part) return &p;
  return nullptr;
}

std::optional<Look> lookOf(const PartDef& part, int state) {
  if (state == 0) state = 1;
  if (state < 1 || state > part.stateCount) return std::nullopt;
  const int i = state - 1;
  Look l;
  switch (part.kind) {
    case Kind::PushButton:
      if (state >= 5) {
        l.isDefault = true;
      } else {
        l.vis = kNHPD[i];
      }
      break;
    case Kind::Radio:
    case Kind::CheckBox:
      l.vis = kNHPD[i % 4];
      l.mark = i / 4 == 1 ? Mark::Checked : i / 4 == 2 ? Mark::Mixed : Mark::None;
      break;
    case Kind::GroupBox: l.vis = state == 2 ? Vis::Disabled : Vis::Normal; break;
    case Kind::HeaderItem: l.vis = kNHPD[i % 3]; break;
    case Kind::EditField: {
      constexpr Vis edit[] = {Vis::Normal, Vis::Hot, Vis::Normal, Vis::Disabled, Vis::Focused, Vis::Disabled};
      l.vis = edit[i];
      break;
    }
    case Kind::Frame:
      if (part.cls == Cls::ListBox) {
        constexpr Vis box[] = {Vis::Focused, Vis::Hot, Vis::Disabled, Vis::Normal};
        l.vis = box[i];
      }
      break;
    case Kind::ArrowButton:
      if (part.cls == Cls::Spin) {
        l.dir = part.part == 1 ? Dir::Up : Dir::Down;
        l.vis = kNHPD[i];
      } else {
        constexpr Dir dirs[] = {Dir::Up, Dir::Down, Dir::Left, Dir::Right};
        l.dir = dirs[i / 4];
        l.vis = kNHPD[i % 4];
      }
      break;
    case Kind::TabItem: {
      constexpr Vis tab[] = {Vis::Normal, Vis::Hot, Vis::Selected, Vis::Disabled, Vis::Focused};
      l.vis = tab[i];
      break;
    }
    case Kind::ToolButton:
      if (state >= 5) {
        l.mark = Mark::Checked;
        l.vis = state == 6 ? Vis::Hot : Vis::Normal;
      } else {
        l.vis = kNHPD[i];
      }
      break;
    case Kind::MenuItem: {
      constexpr Vis menu[] = {Vis::Normal, Vis::Hot, Vis::Disabled, Vis::Disabled};
      l.vis = menu[i];
      break;
    }
    case Kind::TrackThumb: {
      constexpr Vis thumb[] = {Vis::Normal, Vis::Hot, Vis::Pressed, Vis::Focused, Vis::Disabled};
      l.vis = thumb[i];
      break;
    }
    case Kind::TreeGlyph: l.mark = state == 2 ? Mark::Checked : Mark::None; break;
    case Kind::ListItem: {
      constexpr Vis item[] = {Vis::Normal, Vis::Hot, Vis::Selected, Vis::Disabled, Vis::Selected, Vis::Selected};
      l.vis = item[i];
      l.mark = state == 5 ? Mark::Mixed : state == 6 ? Mark::Checked : Mark::None;
      break;
    }
    case Kind::Chevron:
      l.vis = kNHPD[i % 4];
      l.dir = part.cls == Cls::ExplorerBar && part.part == 7 ? Dir::Up : Dir::Down;
      break;
    default: l.vis = kNHPD[i % 4]; break;
  }
  return l;
}

COLORREF colorOf(const PartDef& part, const Look& look, int propId, bool* found) {
  *found = true;
  switch (propId) {
    case TMT_BORDERCOLOR:
      if (look.isDefault) return kAccent;
      if ((part.kind == Kind::CheckBox || part.kind == Kind::Radio) && look.mark != Mark::None)
        return fillOf(part, look);
      if (part.kind == Kind::ListItem && look.vis == Vis::Selected && look.mark != Mark::Mixed) return kBorderHot;
      return borderOf(look.vis);
    case TMT_FILLCOLOR: return fillOf(part, look);
    case TMT_TEXTCOLOR:
      if (part.cls == Cls::TextStyle) return look.vis == Vis::Disabled ? kTextDisabled : kAccent;
      return look.vis == Vis::Disabled ? kTextDisabled : kText;
    case TMT_EDGELIGHTCOLOR: return kEdgeLight;
    case TMT_EDGEHIGHLIGHTCOLOR: return kEdgeHighlight;
    case TMT_GLYPHCOLOR:
      if (look.vis == Vis::Disabled) return kTextDisabled;
      if ((part.kind == Kind::CheckBox || part.kind == Kind::Radio) && look.mark != Mark::None) return kWindow;
      if (part.kind == Kind::CloseButton && (look.vis == Vis::Hot || look.vis == Vis::Pressed)) return kWindow;
      return kGlyph;
    default: *found = false; return gdi::CLR_INVALID;
  }
}

std::optional<COLORREF> themeSysColor(int colorId) {
  switch (colorId) {
    case gdi::COLOR_WINDOW: return kWindow;
    case gdi::COLOR_BTNFACE: return kFace;
    case gdi::COLOR_BTNSHADOW: return kBorder;
    case gdi::COLOR_BTNTEXT:
    case gdi::COLOR_WINDOWTEXT: return kText;
    case gdi::COLOR_GRAYTEXT: return kTextDisabled;
    case gdi::COLOR_HIGHLIGHT:
    case gdi::COLOR_HOTLIGHT: return kAccent;
    case gdi::COLOR_HIGHLIGHTTEXT: return kWindow;
    case gdi::COLOR_INFOBK: return kTip;
    case gdi::COLOR_INFOTEXT: return kText;
    default: return std::nullopt;
  }
}

}  // namespace theme::detail
