#pragma once
// Message numbers and constants of the window system, with the platform's
// values (they are compared and stored by the library).
#include "platform/win/types.h"

namespace win {

// ---- messages --------------------------------------------------------------------
constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_MOVE = 0x0003;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_ACTIVATE = 0x0006;
constexpr UINT WM_SETFOCUS = 0x0007;
constexpr UINT WM_KILLFOCUS = 0x0008;
constexpr UINT WM_ENABLE = 0x000A;
constexpr UINT WM_SETREDRAW = 0x000B;
constexpr UINT WM_SETTEXT = 0x000C;
constexpr UINT WM_GETTEXT = 0x000D;
constexpr UINT WM_GETTEXTLENGTH = 0x000E;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_ERASEBKGND = 0x0014;
constexpr UINT WM_SYSCOLORCHANGE = 0x0015;
constexpr UINT WM_SHOWWINDOW = 0x0018;
constexpr UINT WM_SETTINGCHANGE = 0x001A;
constexpr UINT WM_WININICHANGE = WM_SETTINGCHANGE;
constexpr UINT WM_ACTIVATEAPP = 0x001C;
constexpr UINT WM_TIMECHANGE = 0x001E;
constexpr UINT WM_CANCELMODE = 0x001F;
constexpr UINT WM_SETCURSOR = 0x0020;
constexpr UINT WM_MOUSEACTIVATE = 0x0021;
constexpr UINT WM_CHILDACTIVATE = 0x0022;
constexpr UINT WM_GETMINMAXINFO = 0x0024;
constexpr UINT WM_DRAWITEM = 0x002B;
constexpr UINT WM_MEASUREITEM = 0x002C;
constexpr UINT WM_SETFONT = 0x0030;
constexpr UINT WM_GETFONT = 0x0031;
constexpr UINT WM_WINDOWPOSCHANGING = 0x0046;
constexpr UINT WM_WINDOWPOSCHANGED = 0x0047;
constexpr UINT WM_NOTIFY = 0x004E;
constexpr UINT WM_CONTEXTMENU = 0x007B;
constexpr UINT WM_STYLECHANGING = 0x007C;
constexpr UINT WM_STYLECHANGED = 0x007D;
constexpr UINT WM_GETICON = 0x007F;
constexpr UINT WM_SETICON = 0x0080;
constexpr UINT WM_NCCREATE = 0x0081;
constexpr UINT WM_NCDESTROY = 0x0082;
constexpr UINT WM_NCCALCSIZE = 0x0083;
constexpr UINT WM_NCHITTEST = 0x0084;
constexpr UINT WM_NCPAINT = 0x0085;
constexpr UINT WM_NCACTIVATE = 0x0086;
constexpr UINT WM_GETDLGCODE = 0x0087;
constexpr UINT WM_NCMOUSEMOVE = 0x00A0;
constexpr UINT WM_NCLBUTTONDOWN = 0x00A1;
constexpr UINT WM_NCLBUTTONUP = 0x00A2;
constexpr UINT WM_NCLBUTTONDBLCLK = 0x00A3;
constexpr UINT WM_NCRBUTTONDOWN = 0x00A4;
constexpr UINT WM_NCRBUTTONUP = 0x00A5;
constexpr UINT WM_NCRBUTTONDBLCLK = 0x00A6;
constexpr UINT WM_NCMBUTTONDOWN = 0x00A7;
constexpr UINT WM_NCMBUTTONUP = 0x00A8;
constexpr UINT WM_NCMBUTTONDBLCLK = 0x00A9;
constexpr UINT WM_NCXBUTTONDOWN = 0x00AB;
constexpr UINT WM_NCXBUTTONUP = 0x00AC;
constexpr UINT WM_NCXBUTTONDBLCLK = 0x00AD;
constexpr UINT WM_KEYFIRST = 0x0100;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_DEADCHAR = 0x0103;
constexpr UINT WM_SYSKEYDOWN = 0x0104;
constexpr UINT WM_SYSKEYUP = 0x0105;
constexpr UINT WM_SYSCHAR = 0x0106;
constexpr UINT WM_SYSDEADCHAR = 0x0107;
constexpr UINT WM_UNICHAR = 0x0109;
constexpr UINT WM_KEYLAST = 0x0109;
constexpr UINT WM_IME_CHAR = 0x0286;
constexpr UINT WM_IME_COMPOSITION = 0x010F;
constexpr UINT WM_INITDIALOG = 0x0110;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_SYSCOMMAND = 0x0112;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_HSCROLL = 0x0114;
constexpr UINT WM_VSCROLL = 0x0115;
constexpr UINT WM_INITMENU = 0x0116;
constexpr UINT WM_INITMENUPOPUP = 0x0117;
constexpr UINT WM_GESTURE = 0x0119;
constexpr UINT WM_GESTURENOTIFY = 0x011A;
constexpr UINT WM_MENUSELECT = 0x011F;
constexpr UINT WM_ENTERIDLE = 0x0121;
constexpr UINT WM_CHANGEUISTATE = 0x0127;
constexpr UINT WM_UPDATEUISTATE = 0x0128;
constexpr UINT WM_QUERYUISTATE = 0x0129;
constexpr UINT WM_CTLCOLORMSGBOX = 0x0132;
constexpr UINT WM_CTLCOLOREDIT = 0x0133;
constexpr UINT WM_CTLCOLORLISTBOX = 0x0134;
constexpr UINT WM_CTLCOLORBTN = 0x0135;
constexpr UINT WM_CTLCOLORDLG = 0x0136;
constexpr UINT WM_CTLCOLORSCROLLBAR = 0x0137;
constexpr UINT WM_CTLCOLORSTATIC = 0x0138;
constexpr UINT WM_MOUSEFIRST = 0x0200;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_RBUTTONDBLCLK = 0x0206;
constexpr UINT WM_MBUTTONDOWN = 0x0207;
constexpr UINT WM_MBUTTONUP = 0x0208;
constexpr UINT WM_MBUTTONDBLCLK = 0x0209;
constexpr UINT WM_MOUSEWHEEL = 0x020A;
constexpr UINT WM_XBUTTONDOWN = 0x020B;
constexpr UINT WM_XBUTTONUP = 0x020C;
constexpr UINT WM_XBUTTONDBLCLK = 0x020D;
constexpr UINT WM_MOUSEHWHEEL = 0x020E;
constexpr UINT WM_MOUSELAST = 0x020E;
constexpr UINT WM_PARENTNOTIFY = 0x0210;
constexpr UINT WM_ENTERMENULOOP = 0x0211;
constexpr UINT WM_EXITMENULOOP = 0x0212;
constexpr UINT WM_CAPTURECHANGED = 0x0215;
constexpr UINT WM_MOVING = 0x0216;
constexpr UINT WM_ENTERSIZEMOVE = 0x0231;
constexpr UINT WM_EXITSIZEMOVE = 0x0232;
constexpr UINT WM_MOUSEHOVER = 0x02A1;
constexpr UINT WM_MOUSELEAVE = 0x02A3;
constexpr UINT WM_NCMOUSEHOVER = 0x02A0;
constexpr UINT WM_NCMOUSELEAVE = 0x02A2;
constexpr UINT WM_CUT = 0x0300;
constexpr UINT WM_COPY = 0x0301;
constexpr UINT WM_PASTE = 0x0302;
constexpr UINT WM_CLEAR = 0x0303;
constexpr UINT WM_UNDO = 0x0304;
constexpr UINT WM_PRINT = 0x0317;
constexpr UINT WM_PRINTCLIENT = 0x0318;
constexpr UINT WM_THEMECHANGED = 0x031A;
constexpr UINT WM_USER = 0x0400;
constexpr UINT WM_APP = 0x8000;

// ---- window styles ---------------------------------------------------------------
constexpr DWORD WS_OVERLAPPED = 0x00000000;
constexpr DWORD WS_TABSTOP = 0x00010000;
constexpr DWORD WS_MAXIMIZEBOX = 0x00010000;
constexpr DWORD WS_GROUP = 0x00020000;
constexpr DWORD WS_MINIMIZEBOX = 0x00020000;
constexpr DWORD WS_THICKFRAME = 0x00040000;
constexpr DWORD WS_SIZEBOX = WS_THICKFRAME;
constexpr DWORD WS_SYSMENU = 0x00080000;
constexpr DWORD WS_HSCROLL = 0x00100000;
constexpr DWORD WS_VSCROLL = 0x00200000;
constexpr DWORD WS_DLGFRAME = 0x00400000;
constexpr DWORD WS_BORDER = 0x00800000;
constexpr DWORD WS_CAPTION = 0x00C00000;
constexpr DWORD WS_MAXIMIZE = 0x01000000;
constexpr DWORD WS_CLIPCHILDREN = 0x02000000;
constexpr DWORD WS_CLIPSIBLINGS = 0x04000000;
constexpr DWORD WS_DISABLED = 0x08000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_MINIMIZE = 0x20000000;
constexpr DWORD WS_CHILD = 0x40000000;
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_OVERLAPPEDWINDOW =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
constexpr DWORD WS_POPUPWINDOW = WS_POPUP | WS_BORDER | WS_SYSMENU;

constexpr DWORD WS_EX_DLGMODALFRAME = 0x00000001;
constexpr DWORD WS_EX_NOPARENTNOTIFY = 0x00000004;
constexpr DWORD WS_EX_TOPMOST = 0x00000008;
constexpr DWORD WS_EX_ACCEPTFILES = 0x00000010;
constexpr DWORD WS_EX_TRANSPARENT = 0x00000020;
constexpr DWORD WS_EX_MDICHILD = 0x00000040;
constexpr DWORD WS_EX_TOOLWINDOW = 0x00000080;
constexpr DWORD WS_EX_WINDOWEDGE = 0x00000100;
constexpr DWORD WS_EX_CLIENTEDGE = 0x00000200;
constexpr DWORD WS_EX_CONTEXTHELP = 0x00000400;
constexpr DWORD WS_EX_CONTROLPARENT = 0x00010000;
constexpr DWORD WS_EX_STATICEDGE = 0x00020000;
constexpr DWORD WS_EX_APPWINDOW = 0x00040000;
constexpr DWORD WS_EX_LAYERED = 0x00080000;
constexpr DWORD WS_EX_NOACTIVATE = 0x08000000;

// ---- class styles -----------------------------------------------------------------
constexpr UINT CS_VREDRAW = 0x0001;
constexpr UINT CS_HREDRAW = 0x0002;
constexpr UINT CS_DBLCLKS = 0x0008;
constexpr UINT CS_OWNDC = 0x0020;
constexpr UINT CS_CLASSDC = 0x0040;
constexpr UINT CS_PARENTDC = 0x0080;
constexpr UINT CS_NOCLOSE = 0x0200;
constexpr UINT CS_SAVEBITS = 0x0800;
constexpr UINT CS_BYTEALIGNCLIENT = 0x1000;
constexpr UINT CS_GLOBALCLASS = 0x4000;
constexpr UINT CS_DROPSHADOW = 0x00020000;

// ---- CreateWindowEx ------------------------------------------------------------------
constexpr int CW_USEDEFAULT = int(0x80000000);
inline const HWND HWND_MESSAGE = reinterpret_cast<HWND>(LONG_PTR(-3));
inline const HWND HWND_TOP = nullptr;
inline const HWND HWND_BOTTOM = reinterpret_cast<HWND>(LONG_PTR(1));
inline const HWND HWND_TOPMOST = reinterpret_cast<HWND>(LONG_PTR(-1));
inline const HWND HWND_NOTOPMOST = reinterpret_cast<HWND>(LONG_PTR(-2));
inline const HWND HWND_BROADCAST = reinterpret_cast<HWND>(LONG_PTR(0xFFFF));

// ---- window long values ---------------------------------------------------------------
constexpr int GWLP_WNDPROC = -4;
constexpr int GWLP_HINSTANCE = -6;
constexpr int GWLP_HWNDPARENT = -8;
constexpr int GWLP_ID = -12;
constexpr int GWL_ID = GWLP_ID;
constexpr int GWL_STYLE = -16;
constexpr int GWL_EXSTYLE = -20;
constexpr int GWLP_USERDATA = -21;
constexpr int GCLP_HBRBACKGROUND = -10;
constexpr int GCLP_HCURSOR = -12;
constexpr int GCLP_WNDPROC = -24;
constexpr int GCL_STYLE = -26;

// ---- GetWindow / GetAncestor --------------------------------------------------------
constexpr UINT GW_HWNDFIRST = 0;
constexpr UINT GW_HWNDLAST = 1;
constexpr UINT GW_HWNDNEXT = 2;
constexpr UINT GW_HWNDPREV = 3;
constexpr UINT GW_OWNER = 4;
constexpr UINT GW_CHILD = 5;
constexpr UINT GW_ENABLEDPOPUP = 6;
constexpr UINT GA_PARENT = 1;
constexpr UINT GA_ROOT = 2;
constexpr UINT GA_ROOTOWNER = 3;

// ---- SetWindowPos ----------------------------------------------------------------------
constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_NOZORDER = 0x0004;
constexpr UINT SWP_NOREDRAW = 0x0008;
constexpr UINT SWP_NOACTIVATE = 0x0010;
constexpr UINT SWP_FRAMECHANGED = 0x0020;
constexpr UINT SWP_DRAWFRAME = SWP_FRAMECHANGED;
constexpr UINT SWP_SHOWWINDOW = 0x0040;
constexpr UINT SWP_HIDEWINDOW = 0x0080;
constexpr UINT SWP_NOCOPYBITS = 0x0100;
constexpr UINT SWP_NOOWNERZORDER = 0x0200;
constexpr UINT SWP_NOREPOSITION = SWP_NOOWNERZORDER;
constexpr UINT SWP_NOSENDCHANGING = 0x0400;
constexpr UINT SWP_DEFERERASE = 0x2000;
constexpr UINT SWP_ASYNCWINDOWPOS = 0x4000;
constexpr UINT SWP_STATECHANGED = 0x8000;  // set on the messages of ShowWindow's size changes

struct WINDOWPOS {
  HWND hwnd = nullptr;
  HWND hwndInsertAfter = nullptr;
  int x = 0;
  int y = 0;
  int cx = 0;
  int cy = 0;
  UINT flags = 0;
};

struct NCCALCSIZE_PARAMS {
  RECT rgrc[3]{};
  WINDOWPOS* lppos = nullptr;
};
constexpr UINT WVR_VALIDRECTS = 0x0400;

struct MINMAXINFO {
  POINT ptReserved{};
  POINT ptMaxSize{};
  POINT ptMaxPosition{};
  POINT ptMinTrackSize{};
  POINT ptMaxTrackSize{};
};

struct CREATESTRUCTW {
  LPVOID lpCreateParams = nullptr;
  HINSTANCE hInstance = nullptr;
  HMENU hMenu = nullptr;
  HWND hwndParent = nullptr;
  int cy = 0;
  int cx = 0;
  int y = 0;
  int x = 0;
  LONG style = 0;
  LPCWSTR lpszName = nullptr;
  LPCWSTR lpszClass = nullptr;
  DWORD dwExStyle = 0;
};

// ---- ShowWindow -----------------------------------------------------------------------
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_NORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_SHOWMAXIMIZED = 3;
constexpr int SW_MAXIMIZE = 3;
constexpr int SW_SHOWNOACTIVATE = 4;
constexpr int SW_SHOW = 5;
constexpr int SW_MINIMIZE = 6;
constexpr int SW_SHOWMINNOACTIVE = 7;
constexpr int SW_SHOWNA = 8;
constexpr int SW_RESTORE = 9;
constexpr int SW_SHOWDEFAULT = 10;

// WM_SIZE wParam
constexpr WPARAM SIZE_RESTORED = 0;
constexpr WPARAM SIZE_MINIMIZED = 1;
constexpr WPARAM SIZE_MAXIMIZED = 2;

// WM_ACTIVATE wParam
constexpr WORD WA_INACTIVE = 0;
constexpr WORD WA_ACTIVE = 1;
constexpr WORD WA_CLICKACTIVE = 2;

// WM_MOUSEACTIVATE results
constexpr LRESULT MA_ACTIVATE = 1;
constexpr LRESULT MA_ACTIVATEANDEAT = 2;
constexpr LRESULT MA_NOACTIVATE = 3;
constexpr LRESULT MA_NOACTIVATEANDEAT = 4;

// WM_SYSCOMMAND
constexpr WPARAM SC_SIZE = 0xF000;
constexpr WPARAM SC_MOVE = 0xF010;
constexpr WPARAM SC_MINIMIZE = 0xF020;
constexpr WPARAM SC_MAXIMIZE = 0xF030;
constexpr WPARAM SC_CLOSE = 0xF060;
constexpr WPARAM SC_KEYMENU = 0xF100;
constexpr WPARAM SC_RESTORE = 0xF120;

// WM_PARENTNOTIFY / WM_SHOWWINDOW
constexpr LPARAM SW_PARENTCLOSING = 1;
constexpr LPARAM SW_PARENTOPENING = 3;

// ---- hit test codes ----------------------------------------------------------------
constexpr LRESULT HTERROR = -2;
constexpr LRESULT HTTRANSPARENT = -1;
constexpr LRESULT HTNOWHERE = 0;
constexpr LRESULT HTCLIENT = 1;
constexpr LRESULT HTCAPTION = 2;
constexpr LRESULT HTSYSMENU = 3;
constexpr LRESULT HTGROWBOX = 4;
constexpr LRESULT HTSIZE = HTGROWBOX;
constexpr LRESULT HTMENU = 5;
constexpr LRESULT HTHSCROLL = 6;
constexpr LRESULT HTVSCROLL = 7;
constexpr LRESULT HTMINBUTTON = 8;
constexpr LRESULT HTMAXBUTTON = 9;
constexpr LRESULT HTLEFT = 10;
constexpr LRESULT HTRIGHT = 11;
constexpr LRESULT HTTOP = 12;
constexpr LRESULT HTTOPLEFT = 13;
constexpr LRESULT HTTOPRIGHT = 14;
constexpr LRESULT HTBOTTOM = 15;
constexpr LRESULT HTBOTTOMLEFT = 16;
constexpr LRESULT HTBOTTOMRIGHT = 17;
constexpr LRESULT HTBORDER = 18;
constexpr LRESULT HTCLOSE = 20;
constexpr LRESULT HTHELP = 21;

// ---- mouse and key state -------------------------------------------------------------
constexpr WPARAM MK_LBUTTON = 0x0001;
constexpr WPARAM MK_RBUTTON = 0x0002;
constexpr WPARAM MK_SHIFT = 0x0004;
constexpr WPARAM MK_CONTROL = 0x0008;
constexpr WPARAM MK_MBUTTON = 0x0010;
constexpr WPARAM MK_XBUTTON1 = 0x0020;
constexpr WPARAM MK_XBUTTON2 = 0x0040;
constexpr int WHEEL_DELTA = 120;
constexpr WORD XBUTTON1 = 1;
constexpr WORD XBUTTON2 = 2;

// ---- virtual keys -----------------------------------------------------------------------
constexpr UINT VK_LBUTTON = 0x01;
constexpr UINT VK_RBUTTON = 0x02;
constexpr UINT VK_CANCEL = 0x03;
constexpr UINT VK_MBUTTON = 0x04;
constexpr UINT VK_XBUTTON1 = 0x05;
constexpr UINT VK_XBUTTON2 = 0x06;
constexpr UINT VK_BACK = 0x08;
constexpr UINT VK_TAB = 0x09;
constexpr UINT VK_CLEAR = 0x0C;
constexpr UINT VK_RETURN = 0x0D;
constexpr UINT VK_SHIFT = 0x10;
constexpr UINT VK_CONTROL = 0x11;
constexpr UINT VK_MENU = 0x12;
constexpr UINT VK_PAUSE = 0x13;
constexpr UINT VK_CAPITAL = 0x14;
constexpr UINT VK_ESCAPE = 0x1B;
constexpr UINT VK_SPACE = 0x20;
constexpr UINT VK_PRIOR = 0x21;
constexpr UINT VK_NEXT = 0x22;
constexpr UINT VK_END = 0x23;
constexpr UINT VK_HOME = 0x24;
constexpr UINT VK_LEFT = 0x25;
constexpr UINT VK_UP = 0x26;
constexpr UINT VK_RIGHT = 0x27;
constexpr UINT VK_DOWN = 0x28;
constexpr UINT VK_SELECT = 0x29;
constexpr UINT VK_PRINT = 0x2A;
constexpr UINT VK_SNAPSHOT = 0x2C;
constexpr UINT VK_INSERT = 0x2D;
constexpr UINT VK_DELETE = 0x2E;
constexpr UINT VK_HELP = 0x2F;
constexpr UINT VK_LWIN = 0x5B;
constexpr UINT VK_RWIN = 0x5C;
constexpr UINT VK_APPS = 0x5D;
constexpr UINT VK_NUMPAD0 = 0x60;
constexpr UINT VK_NUMPAD9 = 0x69;
constexpr UINT VK_MULTIPLY = 0x6A;
constexpr UINT VK_ADD = 0x6B;
constexpr UINT VK_SEPARATOR = 0x6C;
constexpr UINT VK_SUBTRACT = 0x6D;
constexpr UINT VK_DECIMAL = 0x6E;
constexpr UINT VK_DIVIDE = 0x6F;
constexpr UINT VK_F1 = 0x70;
constexpr UINT VK_F2 = 0x71;
constexpr UINT VK_F3 = 0x72;
constexpr UINT VK_F4 = 0x73;
constexpr UINT VK_F5 = 0x74;
constexpr UINT VK_F6 = 0x75;
constexpr UINT VK_F7 = 0x76;
constexpr UINT VK_F8 = 0x77;
constexpr UINT VK_F9 = 0x78;
constexpr UINT VK_F10 = 0x79;
constexpr UINT VK_F11 = 0x7A;
constexpr UINT VK_F12 = 0x7B;
constexpr UINT VK_NUMLOCK = 0x90;
constexpr UINT VK_SCROLL = 0x91;
constexpr UINT VK_LSHIFT = 0xA0;
constexpr UINT VK_RSHIFT = 0xA1;
constexpr UINT VK_LCONTROL = 0xA2;
constexpr UINT VK_RCONTROL = 0xA3;
constexpr UINT VK_LMENU = 0xA4;
constexpr UINT VK_RMENU = 0xA5;
constexpr UINT VK_OEM_1 = 0xBA;
constexpr UINT VK_OEM_PLUS = 0xBB;
constexpr UINT VK_OEM_COMMA = 0xBC;
constexpr UINT VK_OEM_MINUS = 0xBD;
constexpr UINT VK_OEM_PERIOD = 0xBE;
constexpr UINT VK_OEM_2 = 0xBF;
constexpr UINT VK_OEM_3 = 0xC0;
constexpr UINT VK_OEM_4 = 0xDB;
constexpr UINT VK_OEM_5 = 0xDC;
constexpr UINT VK_OEM_6 = 0xDD;
constexpr UINT VK_OEM_7 = 0xDE;
constexpr UINT VK_PROCESSKEY = 0xE5;

// Key message lParam bits.
constexpr LPARAM KF_EXTENDED_BIT = LPARAM(1) << 24;
constexpr LPARAM KF_ALTDOWN_BIT = LPARAM(1) << 29;
constexpr LPARAM KF_REPEAT_BIT = LPARAM(1) << 30;
constexpr LPARAM KF_UP_BIT = LPARAM(1) << 31;

// ---- paint ------------------------------------------------------------------------------
constexpr UINT RDW_INVALIDATE = 0x0001;
constexpr UINT RDW_INTERNALPAINT = 0x0002;
constexpr UINT RDW_ERASE = 0x0004;
constexpr UINT RDW_VALIDATE = 0x0008;
constexpr UINT RDW_NOINTERNALPAINT = 0x0010;
constexpr UINT RDW_NOERASE = 0x0020;
constexpr UINT RDW_NOCHILDREN = 0x0040;
constexpr UINT RDW_ALLCHILDREN = 0x0080;
constexpr UINT RDW_UPDATENOW = 0x0100;
constexpr UINT RDW_ERASENOW = 0x0200;
constexpr UINT RDW_FRAME = 0x0400;
constexpr UINT RDW_NOFRAME = 0x0800;

constexpr DWORD DCX_WINDOW = 0x00000001;
constexpr DWORD DCX_CACHE = 0x00000002;
constexpr DWORD DCX_NORESETATTRS = 0x00000004;
constexpr DWORD DCX_CLIPCHILDREN = 0x00000008;
constexpr DWORD DCX_CLIPSIBLINGS = 0x00000010;
constexpr DWORD DCX_PARENTCLIP = 0x00000020;
constexpr DWORD DCX_EXCLUDERGN = 0x00000040;
constexpr DWORD DCX_INTERSECTRGN = 0x00000080;
constexpr DWORD DCX_EXCLUDEUPDATE = 0x00000100;
constexpr DWORD DCX_INTERSECTUPDATE = 0x00000200;
constexpr DWORD DCX_LOCKWINDOWUPDATE = 0x00000400;
constexpr DWORD DCX_VALIDATE = 0x00200000;

constexpr LPARAM PRF_CHECKVISIBLE = 0x00000001;
constexpr LPARAM PRF_NONCLIENT = 0x00000002;
constexpr LPARAM PRF_CLIENT = 0x00000004;
constexpr LPARAM PRF_ERASEBKGND = 0x00000008;
constexpr LPARAM PRF_CHILDREN = 0x00000010;
constexpr LPARAM PRF_OWNED = 0x00000020;

constexpr UINT SW_SCROLLCHILDREN = 0x0001;
constexpr UINT SW_INVALIDATE = 0x0002;
constexpr UINT SW_ERASE = 0x0004;
constexpr UINT SW_SMOOTHSCROLL = 0x0010;

struct PAINTSTRUCT {
  HDC hdc = nullptr;
  BOOL fErase = FALSE;
  RECT rcPaint{};
  BOOL fRestore = FALSE;
  BOOL fIncUpdate = FALSE;
  BYTE rgbReserved[32]{};
};

// ---- messages and the loop ---------------------------------------------------------
constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;
constexpr UINT PM_NOYIELD = 0x0002;
constexpr UINT PM_QS_INPUT = 0x04070000;
constexpr UINT PM_QS_POSTMESSAGE = 0x00980000;
constexpr UINT PM_QS_PAINT = 0x00200000;
constexpr UINT PM_QS_SENDMESSAGE = 0x00400000;

constexpr UINT SMTO_NORMAL = 0x0000;
constexpr UINT SMTO_BLOCK = 0x0001;
constexpr UINT SMTO_ABORTIFHUNG = 0x0002;

constexpr DWORD ISMEX_NOSEND = 0x00000000;
constexpr DWORD ISMEX_SEND = 0x00000001;

// ---- hooks --------------------------------------------------------------------------
constexpr int WH_MSGFILTER = -1;
constexpr int WH_GETMESSAGE = 3;
constexpr int WH_CALLWNDPROC = 4;
constexpr int WH_CBT = 5;
constexpr int WH_KEYBOARD = 2;
constexpr int WH_MOUSE = 7;
constexpr int WH_CALLWNDPROCRET = 12;

constexpr int HC_ACTION = 0;
constexpr int HC_NOREMOVE = 3;

constexpr int HCBT_MOVESIZE = 0;
constexpr int HCBT_MINMAX = 1;
constexpr int HCBT_QS = 2;
constexpr int HCBT_CREATEWND = 3;
constexpr int HCBT_DESTROYWND = 4;
constexpr int HCBT_ACTIVATE = 5;
constexpr int HCBT_CLICKSKIPPED = 6;
constexpr int HCBT_KEYSKIPPED = 7;
constexpr int HCBT_SYSCOMMAND = 8;
constexpr int HCBT_SETFOCUS = 9;

struct CWPSTRUCT {
  LPARAM lParam = 0;
  WPARAM wParam = 0;
  UINT message = 0;
  HWND hwnd = nullptr;
};
struct CWPRETSTRUCT {
  LRESULT lResult = 0;
  LPARAM lParam = 0;
  WPARAM wParam = 0;
  UINT message = 0;
  HWND hwnd = nullptr;
};
struct MOUSEHOOKSTRUCT {
  POINT pt{};
  HWND hwnd = nullptr;
  UINT wHitTestCode = 0;
  ULONG_PTR dwExtraInfo = 0;
};
struct MOUSEHOOKSTRUCTEX : MOUSEHOOKSTRUCT {
  DWORD mouseData = 0;
};
struct CBT_CREATEWNDW {
  CREATESTRUCTW* lpcs = nullptr;
  HWND hwndInsertAfter = nullptr;
};
struct CBTACTIVATESTRUCT {
  BOOL fMouse = FALSE;
  HWND hWndActive = nullptr;
};

// ---- TrackMouseEvent ----------------------------------------------------------------
constexpr DWORD TME_HOVER = 0x00000001;
constexpr DWORD TME_LEAVE = 0x00000002;
constexpr DWORD TME_NONCLIENT = 0x00000010;
constexpr DWORD TME_QUERY = 0x40000000;
constexpr DWORD TME_CANCEL = 0x80000000;
constexpr DWORD HOVER_DEFAULT = 0xFFFFFFFF;
struct TRACKMOUSEEVENT {
  DWORD cbSize = sizeof(TRACKMOUSEEVENT);
  DWORD dwFlags = 0;
  HWND hwndTrack = nullptr;
  DWORD dwHoverTime = 0;
};

// ---- ChildWindowFromPointEx -------------------------------------------------------------
constexpr UINT CWP_ALL = 0x0000;
constexpr UINT CWP_SKIPINVISIBLE = 0x0001;
constexpr UINT CWP_SKIPDISABLED = 0x0002;
constexpr UINT CWP_SKIPTRANSPARENT = 0x0004;

// ---- cursors ---------------------------------------------------------------------------
inline const LPCWSTR IDC_ARROW = MAKEINTRESOURCEW(32512);
inline const LPCWSTR IDC_IBEAM = MAKEINTRESOURCEW(32513);
inline const LPCWSTR IDC_WAIT = MAKEINTRESOURCEW(32514);
inline const LPCWSTR IDC_CROSS = MAKEINTRESOURCEW(32515);
inline const LPCWSTR IDC_UPARROW = MAKEINTRESOURCEW(32516);
inline const LPCWSTR IDC_SIZENWSE = MAKEINTRESOURCEW(32642);
inline const LPCWSTR IDC_SIZENESW = MAKEINTRESOURCEW(32643);
inline const LPCWSTR IDC_SIZEWE = MAKEINTRESOURCEW(32644);
inline const LPCWSTR IDC_SIZENS = MAKEINTRESOURCEW(32645);
inline const LPCWSTR IDC_SIZEALL = MAKEINTRESOURCEW(32646);
inline const LPCWSTR IDC_NO = MAKEINTRESOURCEW(32648);
inline const LPCWSTR IDC_HAND = MAKEINTRESOURCEW(32649);
inline const LPCWSTR IDC_APPSTARTING = MAKEINTRESOURCEW(32650);
inline const LPCWSTR IDC_HELP = MAKEINTRESOURCEW(32651);

struct ICONINFO {
  BOOL fIcon = FALSE;
  DWORD xHotspot = 0;
  DWORD yHotspot = 0;
  HBITMAP hbmMask = nullptr;
  HBITMAP hbmColor = nullptr;
};

// ---- clipboard ------------------------------------------------------------------------
constexpr UINT CF_TEXT = 1;
constexpr UINT CF_BITMAP = 2;
constexpr UINT CF_OEMTEXT = 7;
constexpr UINT CF_DIB = 8;
constexpr UINT CF_UNICODETEXT = 13;
constexpr UINT CF_LOCALE = 16;
constexpr UINT CF_DIBV5 = 17;

constexpr UINT GMEM_FIXED = 0x0000;
constexpr UINT GMEM_MOVEABLE = 0x0002;
constexpr UINT GMEM_ZEROINIT = 0x0040;
constexpr UINT GMEM_DDESHARE = 0x2000;
constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;

// ---- system metrics --------------------------------------------------------------------
constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
constexpr int SM_CXVSCROLL = 2;
constexpr int SM_CYHSCROLL = 3;
constexpr int SM_CYCAPTION = 4;
constexpr int SM_CXBORDER = 5;
constexpr int SM_CYBORDER = 6;
constexpr int SM_CXDLGFRAME = 7;
constexpr int SM_CXFIXEDFRAME = 7;
constexpr int SM_CYDLGFRAME = 8;
constexpr int SM_CYFIXEDFRAME = 8;
constexpr int SM_CYVTHUMB = 9;
constexpr int SM_CXHTHUMB = 10;
constexpr int SM_CXICON = 11;
constexpr int SM_CYICON = 12;
constexpr int SM_CXCURSOR = 13;
constexpr int SM_CYCURSOR = 14;
constexpr int SM_CYMENU = 15;
constexpr int SM_CXFULLSCREEN = 16;
constexpr int SM_CYFULLSCREEN = 17;
constexpr int SM_CYVSCROLL = 20;
constexpr int SM_CXHSCROLL = 21;
constexpr int SM_MOUSEPRESENT = 19;
constexpr int SM_SWAPBUTTON = 23;
constexpr int SM_CXMIN = 28;
constexpr int SM_CYMIN = 29;
constexpr int SM_CXSIZE = 30;
constexpr int SM_CYSIZE = 31;
constexpr int SM_CXFRAME = 32;
constexpr int SM_CXSIZEFRAME = 32;
constexpr int SM_CYFRAME = 33;
constexpr int SM_CYSIZEFRAME = 33;
constexpr int SM_CXMINTRACK = 34;
constexpr int SM_CYMINTRACK = 35;
constexpr int SM_CXDOUBLECLK = 36;
constexpr int SM_CYDOUBLECLK = 37;
constexpr int SM_CXICONSPACING = 38;
constexpr int SM_CYICONSPACING = 39;
constexpr int SM_MENUDROPALIGNMENT = 40;
constexpr int SM_CMOUSEBUTTONS = 43;
constexpr int SM_CXEDGE = 45;
constexpr int SM_CYEDGE = 46;
constexpr int SM_CXSMICON = 49;
constexpr int SM_CYSMICON = 50;
constexpr int SM_CYSMCAPTION = 51;
constexpr int SM_CXMENUCHECK = 71;
constexpr int SM_CYMENUCHECK = 72;
constexpr int SM_CXDRAG = 68;
constexpr int SM_CYDRAG = 69;
constexpr int SM_CXMAXTRACK = 59;
constexpr int SM_CYMAXTRACK = 60;
constexpr int SM_CXMAXIMIZED = 61;
constexpr int SM_CYMAXIMIZED = 62;
constexpr int SM_MOUSEWHEELPRESENT = 75;
constexpr int SM_XVIRTUALSCREEN = 76;
constexpr int SM_YVIRTUALSCREEN = 77;
constexpr int SM_CXVIRTUALSCREEN = 78;
constexpr int SM_CYVIRTUALSCREEN = 79;
constexpr int SM_CMONITORS = 80;
constexpr int SM_SAMEDISPLAYFORMAT = 81;
constexpr int SM_CXFOCUSBORDER = 83;
constexpr int SM_CYFOCUSBORDER = 84;
constexpr int SM_REMOTESESSION = 0x1000;

// ---- SystemParametersInfo ----------------------------------------------------------------
constexpr UINT SPI_GETBEEP = 0x0001;
constexpr UINT SPI_GETMOUSE = 0x0003;
constexpr UINT SPI_GETBORDER = 0x0005;
constexpr UINT SPI_GETKEYBOARDSPEED = 0x000A;
constexpr UINT SPI_ICONHORIZONTALSPACING = 0x000D;
constexpr UINT SPI_GETSCREENSAVETIMEOUT = 0x000E;
constexpr UINT SPI_GETKEYBOARDDELAY = 0x0016;
constexpr UINT SPI_GETICONTITLELOGFONT = 0x001F;
constexpr UINT SPI_SETDOUBLECLICKTIME = 0x0020;
constexpr UINT SPI_GETDRAGFULLWINDOWS = 0x0026;
constexpr UINT SPI_GETNONCLIENTMETRICS = 0x0029;
constexpr UINT SPI_GETWORKAREA = 0x0030;
constexpr UINT SPI_GETHIGHCONTRAST = 0x0042;
constexpr UINT SPI_GETKEYBOARDPREF = 0x0044;
constexpr UINT SPI_GETSCREENREADER = 0x0046;
constexpr UINT SPI_GETANIMATION = 0x0048;
constexpr UINT SPI_GETFONTSMOOTHING = 0x004A;
constexpr UINT SPI_GETSNAPTODEFBUTTON = 0x005F;
constexpr UINT SPI_GETMOUSEHOVERWIDTH = 0x0062;
constexpr UINT SPI_GETMOUSEHOVERHEIGHT = 0x0064;
constexpr UINT SPI_GETMOUSEHOVERTIME = 0x0066;
constexpr UINT SPI_GETWHEELSCROLLLINES = 0x0068;
constexpr UINT SPI_GETMENUSHOWDELAY = 0x006A;
constexpr UINT SPI_GETWHEELSCROLLCHARS = 0x006C;
constexpr UINT SPI_GETSHOWIMEUI = 0x006E;
constexpr UINT SPI_GETMOUSESPEED = 0x0070;
constexpr UINT SPI_GETACTIVEWINDOWTRACKING = 0x1000;
constexpr UINT SPI_GETMENUANIMATION = 0x1002;
constexpr UINT SPI_GETCOMBOBOXANIMATION = 0x1004;
constexpr UINT SPI_GETLISTBOXSMOOTHSCROLLING = 0x1006;
constexpr UINT SPI_GETGRADIENTCAPTIONS = 0x1008;
constexpr UINT SPI_GETKEYBOARDCUES = 0x100A;
constexpr UINT SPI_GETMENUUNDERLINES = SPI_GETKEYBOARDCUES;
constexpr UINT SPI_GETHOTTRACKING = 0x100E;
constexpr UINT SPI_GETMENUFADE = 0x1012;
constexpr UINT SPI_GETSELECTIONFADE = 0x1014;
constexpr UINT SPI_GETTOOLTIPANIMATION = 0x1016;
constexpr UINT SPI_GETTOOLTIPFADE = 0x1018;
constexpr UINT SPI_GETCURSORSHADOW = 0x101A;
constexpr UINT SPI_GETUIEFFECTS = 0x103E;
constexpr UINT SPI_GETCLIENTAREAANIMATION = 0x1042;
constexpr UINT SPI_GETDROPSHADOW = 0x1024;
constexpr UINT SPI_GETFOCUSBORDERWIDTH = 0x200E;
constexpr UINT SPI_GETFOCUSBORDERHEIGHT = 0x2010;
constexpr UINT SPI_GETCARETWIDTH = 0x2006;

constexpr UINT SPIF_UPDATEINIFILE = 0x0001;
constexpr UINT SPIF_SENDCHANGE = 0x0002;

// ---- monitors -----------------------------------------------------------------------------
constexpr DWORD MONITOR_DEFAULTTONULL = 0;
constexpr DWORD MONITOR_DEFAULTTOPRIMARY = 1;
constexpr DWORD MONITOR_DEFAULTTONEAREST = 2;
constexpr DWORD MONITORINFOF_PRIMARY = 1;
struct MONITORINFO {
  DWORD cbSize = sizeof(MONITORINFO);
  RECT rcMonitor{};
  RECT rcWork{};
  DWORD dwFlags = 0;
};
struct MONITORINFOEXW : MONITORINFO {
  WCHAR szDevice[32]{};
  MONITORINFOEXW() { cbSize = sizeof(MONITORINFOEXW); }
};

// ---- message boxes ------------------------------------------------------------------------
constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_OKCANCEL = 0x00000001;
constexpr UINT MB_ABORTRETRYIGNORE = 0x00000002;
constexpr UINT MB_YESNOCANCEL = 0x00000003;
constexpr UINT MB_YESNO = 0x00000004;
constexpr UINT MB_RETRYCANCEL = 0x00000005;
constexpr UINT MB_CANCELTRYCONTINUE = 0x00000006;
constexpr UINT MB_TYPEMASK = 0x0000000F;
constexpr UINT MB_ICONHAND = 0x00000010;
constexpr UINT MB_ICONERROR = MB_ICONHAND;
constexpr UINT MB_ICONSTOP = MB_ICONHAND;
constexpr UINT MB_ICONQUESTION = 0x00000020;
constexpr UINT MB_ICONEXCLAMATION = 0x00000030;
constexpr UINT MB_ICONWARNING = MB_ICONEXCLAMATION;
constexpr UINT MB_ICONASTERISK = 0x00000040;
constexpr UINT MB_ICONINFORMATION = MB_ICONASTERISK;
constexpr UINT MB_DEFBUTTON1 = 0x00000000;
constexpr UINT MB_DEFBUTTON2 = 0x00000100;
constexpr UINT MB_DEFBUTTON3 = 0x00000200;
constexpr UINT MB_DEFMASK = 0x00000F00;
constexpr UINT MB_APPLMODAL = 0x00000000;
constexpr UINT MB_SYSTEMMODAL = 0x00001000;
constexpr UINT MB_TASKMODAL = 0x00002000;
constexpr UINT MB_SETFOREGROUND = 0x00010000;
constexpr UINT MB_TOPMOST = 0x00040000;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;
constexpr int IDCLOSE = 8;
constexpr int IDHELP = 9;
constexpr int IDTRYAGAIN = 10;
constexpr int IDCONTINUE = 11;

// ---- scroll requests (low word of WM_HSCROLL / WM_VSCROLL) ----------------------------------
constexpr WORD SB_LINEUP = 0;
constexpr WORD SB_LINELEFT = 0;
constexpr WORD SB_LINEDOWN = 1;
constexpr WORD SB_LINERIGHT = 1;
constexpr WORD SB_PAGEUP = 2;
constexpr WORD SB_PAGELEFT = 2;
constexpr WORD SB_PAGEDOWN = 3;
constexpr WORD SB_PAGERIGHT = 3;
constexpr WORD SB_THUMBPOSITION = 4;
constexpr WORD SB_THUMBTRACK = 5;
constexpr WORD SB_TOP = 6;
constexpr WORD SB_LEFT = 6;
constexpr WORD SB_BOTTOM = 7;
constexpr WORD SB_RIGHT = 7;
constexpr WORD SB_ENDSCROLL = 8;

}  // namespace win
