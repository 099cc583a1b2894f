#pragma once
// The engine's catalogue: which classes and parts it knows, how each part is
// measured, and what a (part, state) pair looks like. Internal to the engine.
#include <optional>

#include "platform/theme/theme.h"

namespace theme::detail {

enum class Cls {
  Button, ComboBox, Edit, ExplorerBar, Header, ListBox, ListView, Menu, Progress, ScrollBar, Spin, Tab,
  ToolBar, ToolTip, TrackBar, TreeView, Window, Navigation, ExplorerListView, TextStyle
};

// How a part is drawn.
enum class Kind {
  PushButton, Radio, CheckBox, GroupBox, DropButton, EditField, Chevron, HeaderItem, Frame, Fill, ArrowButton,
  Thumb, Track, Gripper, SizeBox, TabItem, TabPane, ToolButton, SeparatorV, SeparatorH, MenuItem, ProgressBar,
  ProgressChunk, TipFill, TrackGroove, TrackThumb, TreeGlyph, CloseButton, BackButton, ListItem, None
};

struct PartDef {
  Cls cls;
  int part;
  int stateCount;  // valid states are 1..stateCount (0 means 1)
  Kind kind;
  SIZE trueSize;   // TS_TRUE (and TS_DRAW)
  SIZE minSize;    // TS_MIN
  MARGINS content;
  MARGINS sizing;
  bool transparent;  // corners or shape leave the background showing
};

// The visual state a (part, state) pair stands for.
enum class Vis { Normal, Hot, Pressed, Disabled, Focused, Selected };
enum class Mark { None, Checked, Mixed };
enum class Dir { None, Up, Down, Left, Right };

struct Look {
  Vis vis = Vis::Normal;
  Mark mark = Mark::None;
  Dir dir = Dir::None;
  bool isDefault = false;  // the default push button
};

std::optional<Cls> classByName(const char16_t* name, int length);
const char16_t* className(Cls cls);
const PartDef* findPart(Cls cls, int part);
// Null when the state is outside the part's range.
std::optional<Look> lookOf(const PartDef& part, int state);

// Colours of the look.
COLORREF colorOf(const PartDef& part, const Look& look, int propId, bool* found);

// The theme's own value of a system colour (COLOR_* index), none for the
// indices it leaves to the classic table.
std::optional<COLORREF> themeSysColor(int colorId);

// Draws the part over `rect` (clipping is the caller's).
void drawPart(HDC dc, const PartDef& part, const Look& look, const RECT& rect);

}  // namespace theme::detail
