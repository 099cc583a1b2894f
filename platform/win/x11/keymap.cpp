#include "platform/win/x11/keymap.h"

#include <X11/XF86keysym.h>
#include <X11/keysym.h>

#include <array>

namespace win::x11 {
namespace {

// Virtual keys by value; the window system's own header names them for the
// rest of the program, the tables here only need the numbers.
enum : std::uint32_t {
  kBack = 0x08, kTab = 0x09, kClear = 0x0C, kReturn = 0x0D, kShift = 0x10, kControl = 0x11,
  kMenu = 0x12, kPause = 0x13, kCapital = 0x14, kEscape = 0x1B, kSpace = 0x20, kPrior = 0x21,
  kNext = 0x22, kEnd = 0x23, kHome = 0x24, kLeft = 0x25, kUp = 0x26, kRight = 0x27, kDown = 0x28,
  kSelect = 0x29, kPrint = 0x2A, kExecute = 0x2B, kSnapshot = 0x2C, kInsert = 0x2D,
  kDelete = 0x2E, kHelp = 0x2F, kLWin = 0x5B, kRWin = 0x5C, kApps = 0x5D, kSleep = 0x5F,
  kNumpad0 = 0x60, kMultiply = 0x6A, kAdd = 0x6B, kSeparator = 0x6C, kSubtract = 0x6D,
  kDecimal = 0x6E, kDivide = 0x6F, kF1 = 0x70, kNumLock = 0x90, kScroll = 0x91,
  kBrowserBack = 0xA6, kBrowserForward = 0xA7, kBrowserRefresh = 0xA8, kBrowserStop = 0xA9,
  kBrowserSearch = 0xAA, kBrowserFavorites = 0xAB, kBrowserHome = 0xAC, kVolumeMute = 0xAD,
  kVolumeDown = 0xAE, kVolumeUp = 0xAF, kMediaNext = 0xB0, kMediaPrev = 0xB1, kMediaStop = 0xB2,
  kMediaPlayPause = 0xB3, kLaunchMail = 0xB4,
  kOem1 = 0xBA, kOemPlus = 0xBB, kOemComma = 0xBC, kOemMinus = 0xBD, kOemPeriod = 0xBE,
  kOem2 = 0xBF, kOem3 = 0xC0, kAbntC1 = 0xC1, kAbntC2 = 0xC2, kOem4 = 0xDB, kOem5 = 0xDC,
  kOem6 = 0xDD, kOem7 = 0xDE, kOem102 = 0xE2,
};

struct KeysymVk {
  unsigned long keysym;
  std::uint32_t vk;
};

// Keys named by their keysym whatever the layout.
constexpr KeysymVk kKeysymTable[] = {
    {XK_BackSpace, kBack}, {XK_Tab, kTab}, {XK_ISO_Left_Tab, kTab}, {XK_Clear, kClear},
    {XK_Return, kReturn}, {XK_Pause, kPause}, {XK_Break, kPause}, {XK_Scroll_Lock, kScroll},
    {XK_Sys_Req, kSnapshot}, {XK_Print, kSnapshot}, {XK_Escape, kEscape}, {XK_Delete, kDelete},
    {XK_Home, kHome}, {XK_Left, kLeft}, {XK_Up, kUp}, {XK_Right, kRight}, {XK_Down, kDown},
    {XK_Prior, kPrior}, {XK_Next, kNext}, {XK_End, kEnd}, {XK_Begin, kClear},
    {XK_Select, kSelect}, {XK_Execute, kExecute}, {XK_Insert, kInsert}, {XK_Help, kHelp},
    {XK_Menu, kApps}, {XK_Num_Lock, kNumLock}, {XK_space, kSpace},
    {XK_Shift_L, kShift}, {XK_Shift_R, kShift}, {XK_Control_L, kControl},
    {XK_Control_R, kControl}, {XK_Caps_Lock, kCapital}, {XK_Alt_L, kMenu}, {XK_Alt_R, kMenu},
    {XK_Meta_L, kMenu}, {XK_Meta_R, kMenu}, {XK_ISO_Level3_Shift, kMenu},
    {XK_Super_L, kLWin}, {XK_Super_R, kRWin}, {XK_Hyper_L, kLWin}, {XK_Hyper_R, kRWin},
    // The keypad as it answers with Num Lock off and on.
    {XK_KP_Space, kSpace}, {XK_KP_Tab, kTab}, {XK_KP_Enter, kReturn}, {XK_KP_Home, kHome},
    {XK_KP_Left, kLeft}, {XK_KP_Up, kUp}, {XK_KP_Right, kRight}, {XK_KP_Down, kDown},
    {XK_KP_Prior, kPrior}, {XK_KP_Next, kNext}, {XK_KP_End, kEnd}, {XK_KP_Begin, kClear},
    {XK_KP_Insert, kInsert}, {XK_KP_Delete, kDelete}, {XK_KP_Multiply, kMultiply},
    {XK_KP_Add, kAdd}, {XK_KP_Separator, kSeparator}, {XK_KP_Subtract, kSubtract},
    {XK_KP_Decimal, kDecimal}, {XK_KP_Divide, kDivide}, {XK_KP_Equal, kOemPlus},
    // Media and browser keys.
    {XF86XK_AudioMute, kVolumeMute}, {XF86XK_AudioLowerVolume, kVolumeDown},
    {XF86XK_AudioRaiseVolume, kVolumeUp}, {XF86XK_AudioNext, kMediaNext},
    {XF86XK_AudioPrev, kMediaPrev}, {XF86XK_AudioStop, kMediaStop},
    {XF86XK_AudioPlay, kMediaPlayPause}, {XF86XK_AudioPause, kMediaPlayPause},
    {XF86XK_Mail, kLaunchMail}, {XF86XK_Back, kBrowserBack}, {XF86XK_Forward, kBrowserForward},
    {XF86XK_Refresh, kBrowserRefresh}, {XF86XK_Stop, kBrowserStop},
    {XF86XK_Search, kBrowserSearch}, {XF86XK_Favorites, kBrowserFavorites},
    {XF86XK_HomePage, kBrowserHome}, {XF86XK_Sleep, kSleep},
    // Punctuation keysyms met on keys outside the positional table below.
    {XK_semicolon, kOem1}, {XK_colon, kOem1}, {XK_equal, kOemPlus}, {XK_plus, kOemPlus},
    {XK_comma, kOemComma}, {XK_less, kOemComma}, {XK_minus, kOemMinus},
    {XK_underscore, kOemMinus}, {XK_period, kOemPeriod}, {XK_greater, kOemPeriod},
    {XK_slash, kOem2}, {XK_question, kOem2}, {XK_grave, kOem3}, {XK_asciitilde, kOem3},
    {XK_bracketleft, kOem4}, {XK_braceleft, kOem4}, {XK_backslash, kOem5}, {XK_bar, kOem5},
    {XK_bracketright, kOem6}, {XK_braceright, kOem6}, {XK_apostrophe, kOem7},
    {XK_quotedbl, kOem7},
};

// evdev codes of the punctuation keys and the virtual key of their place.
struct PlaceVk {
  unsigned evdev;
  std::uint32_t vk;
};
constexpr PlaceVk kPlaceTable[] = {
    {12, kOemMinus}, {13, kOemPlus}, {26, kOem4}, {27, kOem6}, {39, kOem1}, {40, kOem7},
    {41, kOem3}, {43, kOem5}, {51, kOemComma}, {52, kOemPeriod}, {53, kOem2}, {86, kOem102},
    {89, kAbntC1}, {95, kAbntC2},
};

// Letters by place (QWERTY rows), used when the layout's first level is not a
// Latin letter.
constexpr char kLetterPlaces[][2] = {
    {16, 'Q'}, {17, 'W'}, {18, 'E'}, {19, 'R'}, {20, 'T'}, {21, 'Y'}, {22, 'U'}, {23, 'I'},
    {24, 'O'}, {25, 'P'}, {30, 'A'}, {31, 'S'}, {32, 'D'}, {33, 'F'}, {34, 'G'}, {35, 'H'},
    {36, 'J'}, {37, 'K'}, {38, 'L'}, {44, 'Z'}, {45, 'X'}, {46, 'C'}, {47, 'V'}, {48, 'B'},
    {49, 'N'}, {50, 'M'},
};

// Keys whose set-1 code differs from their evdev code: the extended block and
// the high function keys.
struct EvdevScan {
  unsigned evdev;
  std::uint32_t scan;
  bool extended;
};
constexpr EvdevScan kScanTable[] = {
    {69, 0x45, true},  // Num Lock carries the extended bit; Pause below does not
    {89, 0x73, false}, {95, 0x7E, false}, {96, 0x1C, true}, {97, 0x1D, true},
    {98, 0x35, true},  {99, 0x37, true},  {100, 0x38, true}, {102, 0x47, true},
    {103, 0x48, true}, {104, 0x49, true}, {105, 0x4B, true}, {106, 0x4D, true},
    {107, 0x4F, true}, {108, 0x50, true}, {109, 0x51, true}, {110, 0x52, true},
    {111, 0x53, true}, {113, 0x20, true}, {114, 0x2E, true}, {115, 0x30, true},
    {117, 0x59, false}, {119, 0x45, false}, {121, 0x7E, false}, {125, 0x5B, true},
    {126, 0x5C, true}, {127, 0x5D, true}, {183, 0x64, false}, {184, 0x65, false},
    {185, 0x66, false}, {186, 0x67, false}, {187, 0x68, false}, {188, 0x69, false},
    {189, 0x6A, false}, {190, 0x6B, false}, {191, 0x6C, false}, {192, 0x6D, false},
    {193, 0x6E, false}, {194, 0x76, false},
};

constexpr unsigned kEvdevOffset = 8;

bool isKeypadKeysym(unsigned long keysym) {
  return (keysym >= XK_KP_Space && keysym <= XK_KP_9) || keysym == XK_KP_Equal;
}

std::uint32_t placeVk(unsigned evdev) {
  for (const PlaceVk& p : kPlaceTable)
    if (p.evdev == evdev) return p.vk;
  if (evdev >= 2 && evdev <= 10) return '1' + (evdev - 2);
  if (evdev == 11) return '0';
  for (const auto& l : kLetterPlaces)
    if (unsigned(l[0]) == evdev) return std::uint32_t(l[1]);
  return 0;
}

std::uint32_t letterOrDigit(unsigned long keysym) {
  if (keysym >= XK_a && keysym <= XK_z) return 'A' + std::uint32_t(keysym - XK_a);
  if (keysym >= XK_A && keysym <= XK_Z) return 'A' + std::uint32_t(keysym - XK_A);
  if (keysym >= XK_0 && keysym <= XK_9) return '0' + std::uint32_t(keysym - XK_0);
  return 0;
}

}  // namespace

std::uint32_t VirtualKeyFromKeysym(unsigned long keysym) {
  if (std::uint32_t vk = letterOrDigit(keysym)) return vk;
  if (keysym >= XK_KP_0 && keysym <= XK_KP_9) return kNumpad0 + std::uint32_t(keysym - XK_KP_0);
  if (keysym >= XK_F1 && keysym <= XK_F24) return kF1 + std::uint32_t(keysym - XK_F1);
  for (const KeysymVk& k : kKeysymTable)
    if (k.keysym == keysym) return k.vk;
  return 0;
}

std::uint32_t VirtualKeyFor(unsigned keycode, unsigned long baseKeysym,
                            unsigned long effectiveKeysym) {
  // The keypad depends on Num Lock, which only the effective keysym knows.
  if (isKeypadKeysym(effectiveKeysym)) {
    // The ABNT2 keypad's decimal key types a comma but stays the decimal key.
    if (effectiveKeysym == XK_KP_Separator && keycode == 83 + kEvdevOffset) return kDecimal;
    return VirtualKeyFromKeysym(effectiveKeysym);
  }
  if (std::uint32_t vk = letterOrDigit(baseKeysym)) return vk;
  if (keycode >= kEvdevOffset)
    if (std::uint32_t vk = placeVk(keycode - kEvdevOffset)) return vk;
  if (std::uint32_t vk = VirtualKeyFromKeysym(baseKeysym)) return vk;
  return VirtualKeyFromKeysym(effectiveKeysym);
}

KeyIdentity ScanCodeFor(unsigned keycode) {
  KeyIdentity id;
  if (keycode < kEvdevOffset) return id;
  const unsigned evdev = keycode - kEvdevOffset;
  for (const EvdevScan& s : kScanTable)
    if (s.evdev == evdev) {
      id.scan = s.scan;
      id.extended = s.extended;
      return id;
    }
  // evdev numbers the classic keyboard in set-1 order.
  if (evdev >= 1 && evdev <= 88 && evdev != 84) id.scan = evdev;
  return id;
}

KeyIdentity IdentifyKey(unsigned keycode, unsigned long baseKeysym,
                        unsigned long effectiveKeysym) {
  KeyIdentity id = ScanCodeFor(keycode);
  id.vk = VirtualKeyFor(keycode, baseKeysym, effectiveKeysym);
  return id;
}

unsigned KeycodeForScanCode(std::uint32_t scan, bool extended) {
  for (const EvdevScan& s : kScanTable)
    if (s.scan == scan && s.extended == extended) return s.evdev + kEvdevOffset;
  if (!extended && scan >= 1 && scan <= 88 && scan != 84) return scan + kEvdevOffset;
  return 0;
}

bool IsDeadKeysym(unsigned long keysym, char16_t* accent) {
  struct DeadAccent {
    unsigned long keysym;
    char16_t accent;
  };
  // The spacing forms the platform's layouts give their dead keys.
  static constexpr DeadAccent kAccents[] = {
      {XK_dead_grave, u'`'},         {XK_dead_acute, u'\u00B4'},      {XK_dead_circumflex, u'^'},
      {XK_dead_tilde, u'~'},         {XK_dead_macron, u'\u00AF'},     {XK_dead_breve, u'\u02D8'},
      {XK_dead_abovedot, u'\u02D9'}, {XK_dead_diaeresis, u'\u00A8'},  {XK_dead_abovering, u'\u02DA'},
      {XK_dead_doubleacute, u'\u02DD'}, {XK_dead_caron, u'\u02C7'},   {XK_dead_cedilla, u'\u00B8'},
      {XK_dead_ogonek, u'\u02DB'},   {XK_dead_iota, u'\u037A'},       {XK_dead_voiced_sound, u'\u309B'},
      {XK_dead_semivoiced_sound, u'\u309C'},
  };
  // keysymdef.h keeps every dead key in this block.
  if (keysym < 0xFE50 || keysym > 0xFE8F) return false;
  char16_t found = 0;
  for (const DeadAccent& d : kAccents)
    if (d.keysym == keysym) found = d.accent;
  if (accent) *accent = found;
  return true;
}

}  // namespace win::x11
