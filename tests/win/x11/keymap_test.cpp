#include "platform/win/x11/keymap.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>

namespace win::x11 {
namespace {

constexpr unsigned kc(unsigned evdev) { return evdev + 8; }

struct KeyCase {
  const char* what;
  unsigned keycode;
  unsigned long base;
  unsigned long effective;
  std::uint32_t vk;
  std::uint32_t scan;
  bool extended;
};

// Evdev key codes with the keysyms the US and Brazilian ABNT2 layouts give.
const KeyCase kKeys[] = {
    {"letter", kc(30), XK_a, XK_A, 'A', 0x1E, false},
    {"digit", kc(2), XK_1, XK_exclam, '1', 0x02, false},
    {"zero", kc(11), XK_0, XK_0, '0', 0x0B, false},
    {"Enter", kc(28), XK_Return, XK_Return, 0x0D, 0x1C, false},
    {"keypad Enter", kc(96), XK_KP_Enter, XK_KP_Enter, 0x0D, 0x1C, true},
    {"right Ctrl", kc(97), XK_Control_R, XK_Control_R, 0x11, 0x1D, true},
    {"left Shift", kc(42), XK_Shift_L, XK_Shift_L, 0x10, 0x2A, false},
    {"AltGr", kc(100), XK_ISO_Level3_Shift, XK_ISO_Level3_Shift, 0x12, 0x38, true},
    {"arrow up", kc(103), XK_Up, XK_Up, 0x26, 0x48, true},
    {"Delete", kc(111), XK_Delete, XK_Delete, 0x2E, 0x53, true},
    {"F1", kc(59), XK_F1, XK_F1, 0x70, 0x3B, false},
    {"F12", kc(88), XK_F12, XK_F12, 0x7B, 0x58, false},
    {"Num Lock", kc(69), XK_Num_Lock, XK_Num_Lock, 0x90, 0x45, true},
    {"Pause", kc(119), XK_Pause, XK_Pause, 0x13, 0x45, false},
    {"keypad 7 with Num Lock", kc(71), XK_KP_Home, XK_KP_7, 0x67, 0x47, false},
    {"keypad 7 without Num Lock", kc(71), XK_KP_Home, XK_KP_Home, 0x24, 0x47, false},
    {"keypad decimal, ABNT2 comma", kc(83), XK_KP_Delete, XK_KP_Separator, 0x6E, 0x53, false},
    {"keypad divide", kc(98), XK_KP_Divide, XK_KP_Divide, 0x6F, 0x35, true},
    {"ABNT2 c cedilla", kc(39), XK_ccedilla, XK_Ccedilla, 0xBA, 0x27, false},
    {"US semicolon", kc(39), XK_semicolon, XK_colon, 0xBA, 0x27, false},
    {"ABNT2 dead acute", kc(26), XK_dead_acute, XK_dead_grave, 0xDB, 0x1A, false},
    {"ABNT2 dead tilde", kc(40), XK_dead_tilde, XK_dead_circumflex, 0xDE, 0x28, false},
    {"ABNT2 slash key", kc(89), XK_slash, XK_question, 0xC1, 0x73, false},
    {"ABNT2 semicolon on the US slash key", kc(53), XK_semicolon, XK_colon, 0xBF, 0x35, false},
    {"minus", kc(12), XK_minus, XK_underscore, 0xBD, 0x0C, false},
    {"Cyrillic letter by place", kc(16), XK_Cyrillic_shorti, XK_Cyrillic_SHORTI, 'Q', 0x10, false},
    {"AZERTY digit row by place", kc(3), XK_eacute, XK_2, '2', 0x03, false},
    {"left Windows key", kc(125), XK_Super_L, XK_Super_L, 0x5B, 0x5B, true},
    {"Menu key", kc(127), XK_Menu, XK_Menu, 0x5D, 0x5D, true},
    {"space", kc(57), XK_space, XK_space, 0x20, 0x39, false},
};

TEST(X11Keymap, KeysGiveThePlatformsVirtualKeysAndScanCodes) {
  for (const KeyCase& k : kKeys) {
    const KeyIdentity id = IdentifyKey(k.keycode, k.base, k.effective);
    EXPECT_EQ(id.vk, k.vk) << k.what;
    EXPECT_EQ(id.scan, k.scan) << k.what;
    EXPECT_EQ(id.extended, k.extended) << k.what;
  }
}

TEST(X11Keymap, UnknownKeysGiveNothing) {
  EXPECT_EQ(VirtualKeyFor(0, 0, 0), 0u);
  EXPECT_EQ(ScanCodeFor(3).scan, 0u);  // below the first key code
  EXPECT_EQ(ScanCodeFor(kc(84)).scan, 0u);
  EXPECT_EQ(VirtualKeyFromKeysym(XK_Cyrillic_a), 0u);
}

TEST(X11Keymap, ScanCodesLeadBackToTheirKeys) {
  for (const KeyCase& k : kKeys) {
    if (k.keycode == kc(83) || k.keycode == kc(71)) continue;  // keypad: listed once below
    EXPECT_EQ(KeycodeForScanCode(k.scan, k.extended), k.keycode) << k.what;
  }
  EXPECT_EQ(KeycodeForScanCode(0x47, false), kc(71));
  EXPECT_EQ(KeycodeForScanCode(0x47, true), kc(102));  // Home off the keypad
  EXPECT_EQ(KeycodeForScanCode(0x7F, true), 0u);
}

TEST(X11Keymap, DeadKeysAreToldWithTheAccentTheyShow) {
  struct DeadCase {
    unsigned long keysym;
    bool dead;
    char16_t accent;
  };
  // The ABNT2 layout's dead keys, one without a spacing form, and keys
  // that type their accent at once.
  const DeadCase cases[] = {
      {XK_dead_acute, true, u'\u00B4'},     {XK_dead_grave, true, u'`'},
      {XK_dead_tilde, true, u'~'},          {XK_dead_circumflex, true, u'^'},
      {XK_dead_diaeresis, true, u'\u00A8'}, {XK_dead_cedilla, true, u'\u00B8'},
      {XK_dead_belowdot, true, 0},          {XK_acute, false, 0},
      {XK_asciitilde, false, 0},            {XK_a, false, 0},
      {XK_Multi_key, false, 0},             {0xFE90, false, 0},
  };
  for (const DeadCase& c : cases) {
    char16_t accent = u'?';
    EXPECT_EQ(IsDeadKeysym(c.keysym, &accent), c.dead) << std::hex << c.keysym;
    if (c.dead) {
      EXPECT_EQ(accent, c.accent) << std::hex << c.keysym;
    }
  }
  EXPECT_TRUE(IsDeadKeysym(XK_dead_acute));
}

}  // namespace
}  // namespace win::x11
