#include "platform/win/x11/x11_backend.h"

#include "platform/rtl/except.h"

// Xlib defines FocusIn, FocusOut and Expose as macros: the window system's
// names for those events are taken before its headers come in.
namespace win::x11 {
namespace {
constexpr NativeEventType kFocusInEvent = NativeEventType::FocusIn;
constexpr NativeEventType kFocusOutEvent = NativeEventType::FocusOut;
constexpr NativeEventType kExposeEvent = NativeEventType::Expose;
}  // namespace
}  // namespace win::x11

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xcursor/Xcursor.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <X11/extensions/Xrandr.h>
#include <X11/extensions/shape.h>
#include <poll.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <map>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/gdi/region.h"
#include "platform/rtl/mainloop.h"
#include "platform/rtl/ustring.h"
#include "platform/win/cursors/cursors.h"
#include "platform/win/x11/keymap.h"
#include "platform/win/x11/selection_formats.h"

namespace win::x11 {
namespace {

// ---- X errors -------------------------------------------------------------------
// Xlib's default handler ends the process; a window that went away between a
// request and its reply must not. Errors are counted so that a caller can
// tell whether its own requests failed (shared memory, focus).
int gErrorCount = 0;
int gLastErrorCode = 0;

int onXError(Display*, XErrorEvent* e) {
  ++gErrorCount;
  gLastErrorCode = e->error_code;
  return 0;
}

// Counts the errors of the requests made during its life (it syncs first).
class ErrorTrap {
 public:
  explicit ErrorTrap(Display* d) : d_(d) {
    XSync(d_, False);
    start_ = gErrorCount;
  }
  bool failed() {
    XSync(d_, False);
    return gErrorCount != start_;
  }

 private:
  Display* d_;
  int start_;
};

constexpr long kEventMask = ExposureMask | StructureNotifyMask | ButtonPressMask |
                            ButtonReleaseMask | PointerMotionMask | KeyPressMask |
                            KeyReleaseMask | FocusChangeMask | EnterWindowMask |
                            LeaveWindowMask | PropertyChangeMask;

// Virtual key of text typed through the input method without a key of its
// own (a composed character), as the platform names injected text.
constexpr UINT kVkPacket = 0xE7;

// The selection types are answered in chunks of this size at most; larger
// data goes by the incremental protocol.
constexpr std::size_t kMaxClipboardBytes = std::size_t(256) << 20;
constexpr rtl::Int64 kSelectionTimeoutMs = 2000;

rtl::Int64 realMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

struct NativeWin {
  HWND hwnd = nullptr;
  Window xid = 0;
  RECT rect{};
  bool popup = false;
  bool visible = false;
  bool focusOnMap = false;
  bool topmost = false;
  bool noTaskbar = false;
  XIC ic = nullptr;
  // The presentation image.
  XImage* image = nullptr;
  XShmSegmentInfo shm{};
  bool shmAttached = false;
  Cursor cursor = 0;  // an image cursor of this window (freed with it)
  // What it was made from, kept to make it again with another visual.
  NativeWindowParams params;
  std::vector<XRectangle> shape;
  bool shaped = false;
  // Layered: a 32-bit ARGB window when a compositor shows it; without one
  // the window stays opaque (premultiplied pixels as they are, colour key
  // pixels too).
  NativeTransparency transparency;
  bool argb = false;
};

// An answer to another program's request that goes in chunks.
struct OutgoingTransfer {
  Window requestor = 0;
  Atom property = 0;
  Atom type = 0;
  std::vector<std::uint8_t> data;
  std::size_t sent = 0;
  bool finished = false;
};

class X11Backend final : public Backend, public rtl::MainLoopSource {
 public:
  explicit X11Backend(Display* display);
  ~X11Backend() override;

  // Backend
  std::string Name() const override { return "x11"; }
  void Start(NativeEventSink* sink) override;
  void Stop() override;
  void CreateNativeWindow(const NativeWindowParams& params) override;
  void DestroyNativeWindow(HWND hwnd) override;
  void SetNativeTitle(HWND hwnd, const rtl::String& title) override;
  void SetNativeRect(HWND hwnd, const RECT& screenRect) override;
  void ShowNativeWindow(HWND hwnd, bool visible, bool activate) override;
  void SetNativeTopmost(HWND hwnd, bool topmost) override;
  void SetNativeOwner(HWND hwnd, HWND owner) override;
  void RaiseNativeWindow(HWND hwnd, bool activate) override;
  void SetNativeShape(HWND hwnd, HRGN region) override;
  void SetNativeOpacity(HWND hwnd, BYTE alpha) override;
  void SetNativeTransparency(HWND hwnd, const NativeTransparency& transparency) override;
  void Present(HWND hwnd, const gdi::Surface& surface, const RECT& dirty) override;
  void SetNativeCursor(HWND hwnd, const NativeCursor& cursor) override;
  void WarpPointer(POINT screen) override;
  bool QueryPointer(POINT* screen) override;
  bool GrabPointer(HWND hwnd) override;
  void UngrabPointer() override;
  std::vector<MonitorDesc> Monitors() override;
  void SetClipboard(const std::vector<ClipboardItem>& items) override;
  std::vector<ClipboardFormatId> ClipboardFormats() override;
  bool GetClipboard(const ClipboardFormatId& format, std::vector<std::uint8_t>* data) override;
  void Beep() override { XBell(d_, 0); XFlush(d_); }

  // MainLoopSource
  int FileDescriptor() override { return ConnectionNumber(d_); }
  bool HasPendingEvents() override { return XQLength(d_) > 0; }
  bool DispatchNativeEvents() override;

 private:
  Atom atom(const char* name) { return XInternAtom(d_, name, False); }
  std::string atomName(Atom a);
  NativeWin* find(HWND hwnd);
  NativeWin* findX(Window xid);
  void push(NativeEvent& e);
  POINT toScreen(int rootX, int rootY) const { return {rootX - origin_.x, rootY - origin_.y}; }

  void setTitle(NativeWin& w, const rtl::String& title);
  void setWindowType(NativeWin& w, bool dialog);
  void setNetState(NativeWin& w, Atom state, bool on);
  void setOwner(NativeWin& w, HWND owner);
  void activate(NativeWin& w);
  bool windowManagerPresent();
  bool compositorPresent();
  void createWindow(const NativeWindowParams& params, bool argb, bool activate);
  void applyShape(NativeWin& w);

  void freeImage(NativeWin& w);
  bool ensureImage(NativeWin& w, int width, int height);
  void copyPixels(NativeWin& w, const gdi::Surface& s, const RECT& r);

  Cursor systemCursor(UINT id);
  Cursor cursorFromImage(const gdi::ImageBGRA& image, POINT hotspot);

  void refreshMonitors();

  void handle(XEvent& ev);
  void handleButton(XButtonEvent& b, bool down);
  void handleKey(XKeyEvent& k, bool down);
  bool handleDeadKey(XKeyEvent& k);
  void handleConfigure(XConfigureEvent& c);
  void handleSelectionRequest(XSelectionRequestEvent& r);
  void handleTransferProperty(XPropertyEvent& p);
  void flushDeferred();

  Time serverTime();
  bool waitForEvent(XEvent* out, bool (*match)(X11Backend*, const XEvent&, void*), void* arg);
  bool convertSelection(Atom target, std::vector<std::uint8_t>* data, Atom* type);
  std::vector<std::string> offeredTargets();

  Display* d_;
  int screen_;
  Window root_;
  Visual* visual_;
  int depth_;
  Colormap colormap_;
  GC gc_ = nullptr;
  Visual* argbVisual_ = nullptr;  // depth 32 with alpha, when the server has one
  Colormap argbColormap_ = 0;
  GC argbGc_ = nullptr;
  bool useShm_ = false;
  int rrEventBase_ = -1;
  XIM im_ = nullptr;
  Window helper_ = 0;  // unmapped: owns the selection, receives conversions
  NativeEventSink* sink_ = nullptr;
  bool started_ = false;
  Time lastTime_ = CurrentTime;

  std::unordered_map<HWND, NativeWin> windows_;
  std::unordered_map<Window, HWND> byX_;
  std::unordered_set<unsigned> keysDown_;
  std::map<UINT, Cursor> systemCursors_;
  Cursor blankCursor_ = 0;
  HWND grab_ = nullptr;

  std::vector<MonitorDesc> monitors_;
  bool monitorsValid_ = false;
  POINT origin_{};  // root coordinates of the primary monitor's top-left

  // Focus and pointer leaving are told only when no window of ours takes
  // them over within the same batch of events.
  HWND pendingFocusOut_ = nullptr;
  bool pendingLeave_ = false;

  std::vector<ClipboardItem> clipboard_;
  bool ownClipboard_ = false;
  Time clipboardTime_ = CurrentTime;
  std::vector<OutgoingTransfer> transfers_;

  Atom aProtocols_, aDeleteWindow_, aPing_, aClipboard_, aTargets_, aTimestamp_, aIncr_,
      aUtf8_, aAtomPair_, aSelectionProp_, aNetWmName_, aNetWmState_, aWindowType_, aNetActive_,
      aWorkArea_, aCurrentDesktop_, aOpacity_, aMotifHints_;
};

X11Backend::X11Backend(Display* display) : d_(display) {
  XSetErrorHandler(onXError);
  screen_ = DefaultScreen(d_);
  root_ = RootWindow(d_, screen_);
  visual_ = DefaultVisual(d_, screen_);
  depth_ = DefaultDepth(d_, screen_);
  colormap_ = DefaultColormap(d_, screen_);
  gc_ = XCreateGC(d_, root_, 0, nullptr);
  XVisualInfo argb{};
  if (XMatchVisualInfo(d_, screen_, 32, TrueColor, &argb) && argb.red_mask == 0xFF0000 &&
      argb.green_mask == 0xFF00 && argb.blue_mask == 0xFF) {
    argbVisual_ = argb.visual;
    argbColormap_ = XCreateColormap(d_, root_, argbVisual_, AllocNone);
  }

  Bool detectable = False;
  XkbSetDetectableAutoRepeat(d_, True, &detectable);

  aProtocols_ = atom("WM_PROTOCOLS");
  aDeleteWindow_ = atom("WM_DELETE_WINDOW");
  aPing_ = atom("_NET_WM_PING");
  aClipboard_ = atom("CLIPBOARD");
  aTargets_ = atom("TARGETS");
  aTimestamp_ = atom("TIMESTAMP");
  aIncr_ = atom("INCR");
  aUtf8_ = atom("UTF8_STRING");
  aAtomPair_ = atom("ATOM_PAIR");
  aSelectionProp_ = atom("_INTEGRADOR_SELECTION");
  aNetWmName_ = atom("_NET_WM_NAME");
  aNetWmState_ = atom("_NET_WM_STATE");
  aWindowType_ = atom("_NET_WM_WINDOW_TYPE");
  aNetActive_ = atom("_NET_ACTIVE_WINDOW");
  aWorkArea_ = atom("_NET_WORKAREA");
  aCurrentDesktop_ = atom("_NET_CURRENT_DESKTOP");
  aOpacity_ = atom("_NET_WM_WINDOW_OPACITY");
  aMotifHints_ = atom("_MOTIF_WM_HINTS");

  // Shared memory only works on a local server with our byte order.
  int major = 0, minor = 0;
  Bool pixmaps = False;
  useShm_ = XShmQueryVersion(d_, &major, &minor, &pixmaps) && ImageByteOrder(d_) == LSBFirst;

  int rrError = 0;
  if (XRRQueryExtension(d_, &rrEventBase_, &rrError))
    XRRSelectInput(d_, root_, RRScreenChangeNotifyMask);
  else
    rrEventBase_ = -1;
  XSelectInput(d_, root_, PropertyChangeMask);

  helper_ = XCreateSimpleWindow(d_, root_, -10, -10, 1, 1, 0, 0, 0);
  XSelectInput(d_, helper_, PropertyChangeMask);

  // Text input: the locale decides what the input method composes. A "C"
  // locale is raised to UTF-8 so that every character comes through.
  const char* ctype = std::setlocale(LC_CTYPE, nullptr);
  if (!ctype || std::strcmp(ctype, "C") == 0 || std::strcmp(ctype, "POSIX") == 0) {
    if (!std::setlocale(LC_CTYPE, "")) std::setlocale(LC_CTYPE, "C.UTF-8");
    if (!XSupportsLocale()) std::setlocale(LC_CTYPE, "C.UTF-8");
  }
  if (XSupportsLocale()) {
    XSetLocaleModifiers("");
    im_ = XOpenIM(d_, nullptr, nullptr, nullptr);
    if (!im_) {
      // The configured input method is not running: the built-in one still
      // composes dead keys.
      XSetLocaleModifiers("@im=none");
      im_ = XOpenIM(d_, nullptr, nullptr, nullptr);
    }
  }
  refreshMonitors();
}

X11Backend::~X11Backend() {
  Stop();
  for (auto& [hwnd, w] : windows_) {
    freeImage(w);
    if (w.ic) XDestroyIC(w.ic);
    if (w.cursor) XFreeCursor(d_, w.cursor);
    XDestroyWindow(d_, w.xid);
  }
  for (auto& [id, c] : systemCursors_) XFreeCursor(d_, c);
  if (blankCursor_) XFreeCursor(d_, blankCursor_);
  if (im_) XCloseIM(im_);
  XDestroyWindow(d_, helper_);
  XFreeGC(d_, gc_);
  if (argbGc_) XFreeGC(d_, argbGc_);
  if (argbColormap_) XFreeColormap(d_, argbColormap_);
  XCloseDisplay(d_);
}

std::string X11Backend::atomName(Atom a) {
  if (a == None) return {};
  char* name = XGetAtomName(d_, a);
  std::string out = name ? name : "";
  if (name) XFree(name);
  return out;
}

NativeWin* X11Backend::find(HWND hwnd) {
  auto it = windows_.find(hwnd);
  return it == windows_.end() ? nullptr : &it->second;
}

NativeWin* X11Backend::findX(Window xid) {
  auto it = byX_.find(xid);
  return it == byX_.end() ? nullptr : find(it->second);
}

void X11Backend::push(NativeEvent& e) {
  if (sink_) sink_->PushNativeEvent(e);
}

void X11Backend::Start(NativeEventSink* sink) {
  sink_ = sink;
  if (!started_) {
    rtl::AddMainLoopSource(this);
    started_ = true;
  }
}

void X11Backend::Stop() {
  if (started_) {
    rtl::RemoveMainLoopSource(this);
    started_ = false;
  }
  sink_ = nullptr;
}

// ---- windows -----------------------------------------------------------------------
void X11Backend::CreateNativeWindow(const NativeWindowParams& p) {
  if (find(p.hwnd)) DestroyNativeWindow(p.hwnd);
  createWindow(p, false, !p.popup);
}

void X11Backend::createWindow(const NativeWindowParams& p, bool argb, bool activateIt) {
  NativeWin w;
  w.params = p;
  w.argb = argb && argbVisual_;
  w.hwnd = p.hwnd;
  w.rect = p.rect;
  w.popup = p.popup;
  w.topmost = p.topmost;
  w.noTaskbar = p.noTaskbar;
  const int width = std::max(1, int(p.rect.right - p.rect.left));
  const int height = std::max(1, int(p.rect.bottom - p.rect.top));

  XSetWindowAttributes a{};
  a.background_pixmap = None;  // we paint every pixel: no flash of a background
  a.bit_gravity = NorthWestGravity;
  a.override_redirect = p.popup ? True : False;
  a.event_mask = kEventMask;
  a.colormap = w.argb ? argbColormap_ : colormap_;
  a.border_pixel = 0;
  w.xid = XCreateWindow(d_, root_, p.rect.left + origin_.x, p.rect.top + origin_.y, unsigned(width),
                        unsigned(height), 0, w.argb ? 32 : depth_, InputOutput,
                        w.argb ? argbVisual_ : visual_,
                        CWBackPixmap | CWBitGravity | CWOverrideRedirect | CWEventMask |
                            CWColormap | CWBorderPixel,
                        &a);

  XSizeHints* size = XAllocSizeHints();
  size->flags = USPosition | PPosition | USSize | PSize;
  size->x = p.rect.left + origin_.x;
  size->y = p.rect.top + origin_.y;
  size->width = width;
  size->height = height;
  XWMHints* wm = XAllocWMHints();
  wm->flags = InputHint | StateHint;
  wm->input = True;
  wm->initial_state = NormalState;
  XClassHint* cls = XAllocClassHint();
  char resName[] = "integrador";
  char resClass[] = "Integrador";
  cls->res_name = resName;
  cls->res_class = resClass;
  XSetWMProperties(d_, w.xid, nullptr, nullptr, nullptr, 0, size, wm, cls);
  XFree(size);
  XFree(wm);
  XFree(cls);

  Atom protocols[] = {aDeleteWindow_, aPing_};
  XSetWMProtocols(d_, w.xid, protocols, 2);
  const long pid = long(getpid());
  XChangeProperty(d_, w.xid, atom("_NET_WM_PID"), XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&pid), 1);
  if (!p.decorated) {
    // Our own frame is part of the surface: the window manager adds none.
    const long motif[5] = {2 /* decorations field */, 0, 0, 0, 0};
    XChangeProperty(d_, w.xid, aMotifHints_, aMotifHints_, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(motif), 5);
  }
  setWindowType(w, p.dialog);
  std::vector<long> states;
  if (p.topmost) states.push_back(long(atom("_NET_WM_STATE_ABOVE")));
  if (p.noTaskbar) states.push_back(long(atom("_NET_WM_STATE_SKIP_TASKBAR")));
  if (!states.empty())
    XChangeProperty(d_, w.xid, aNetWmState_, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(states.data()), int(states.size()));
  setTitle(w, p.title);
  setOwner(w, p.owner);

  if (im_) {
    w.ic = XCreateIC(im_, XNInputStyle, XIMPreeditNothing | XIMStatusNothing, XNClientWindow,
                     w.xid, XNFocusWindow, w.xid, nullptr);
    if (w.ic) {
      long filter = 0;
      if (!XGetICValues(w.ic, XNFilterEvents, &filter, nullptr))
        XSelectInput(d_, w.xid, kEventMask | filter);
    }
  }

  byX_[w.xid] = p.hwnd;
  windows_[p.hwnd] = w;
  if (p.visible) ShowNativeWindow(p.hwnd, true, activateIt);
  XFlush(d_);
}

void X11Backend::DestroyNativeWindow(HWND hwnd) {
  NativeWin* w = find(hwnd);
  if (!w) return;
  if (grab_ == hwnd) UngrabPointer();
  if (pendingFocusOut_ == hwnd) pendingFocusOut_ = nullptr;
  freeImage(*w);
  if (w->ic) XDestroyIC(w->ic);
  if (w->cursor) XFreeCursor(d_, w->cursor);
  XDestroyWindow(d_, w->xid);
  byX_.erase(w->xid);
  windows_.erase(hwnd);
  XFlush(d_);
}

bool X11Backend::compositorPresent() {
  const std::string name = "_NET_WM_CM_S" + std::to_string(screen_);
  return XGetSelectionOwner(d_, atom(name.c_str())) != None;
}

void X11Backend::SetNativeTransparency(HWND hwnd, const NativeTransparency& t) {
  NativeWin* w = find(hwnd);
  if (!w) return;
  w->transparency = t;
  const bool argb = (t.perPixelAlpha || t.colorKey) && argbVisual_ && compositorPresent();
  if (argb == w->argb) return;
  // The visual is fixed at creation: the window is made again with the
  // other one, in the same place and state.
  NativeWin old = *w;
  NativeWindowParams p = old.params;
  p.rect = old.rect;
  p.visible = old.visible;
  p.topmost = old.topmost;
  DestroyNativeWindow(hwnd);
  createWindow(p, argb, false);
  if (NativeWin* fresh = find(hwnd)) {
    fresh->transparency = t;
    fresh->shape = old.shape;
    fresh->shaped = old.shaped;
    if (fresh->shaped) applyShape(*fresh);
  }
  XFlush(d_);
}

void X11Backend::setTitle(NativeWin& w, const rtl::String& title) {
  const std::string utf8 = rtl::StringToUtf8(title);
  XChangeProperty(d_, w.xid, aNetWmName_, aUtf8_, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(utf8.data()), int(utf8.size()));
  // The old property for window managers without _NET_WM_NAME.
  char* list[] = {const_cast<char*>(utf8.c_str())};
  XTextProperty text{};
  if (Xutf8TextListToTextProperty(d_, list, 1, XStdICCTextStyle, &text) >= Success) {
    XSetWMName(d_, w.xid, &text);
    XFree(text.value);
  }
}

void X11Backend::setWindowType(NativeWin& w, bool dialog) {
  const char* type = w.popup    ? "_NET_WM_WINDOW_TYPE_POPUP_MENU"
                     : dialog   ? "_NET_WM_WINDOW_TYPE_DIALOG"
                                : "_NET_WM_WINDOW_TYPE_NORMAL";
  const long value = long(atom(type));
  XChangeProperty(d_, w.xid, aWindowType_, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&value), 1);
}

void X11Backend::setNetState(NativeWin& w, Atom state, bool on) {
  if (w.visible && !w.popup) {
    // A mapped window's state belongs to the window manager: ask it.
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = w.xid;
    e.xclient.message_type = aNetWmState_;
    e.xclient.format = 32;
    e.xclient.data.l[0] = on ? 1 : 0;
    e.xclient.data.l[1] = long(state);
    e.xclient.data.l[3] = 1;  // a normal application
    XSendEvent(d_, root_, False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
    return;
  }
  std::vector<long> states;
  if (w.topmost) states.push_back(long(atom("_NET_WM_STATE_ABOVE")));
  if (w.noTaskbar) states.push_back(long(atom("_NET_WM_STATE_SKIP_TASKBAR")));
  XChangeProperty(d_, w.xid, aNetWmState_, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(states.data()), int(states.size()));
}

void X11Backend::setOwner(NativeWin& w, HWND owner) {
  NativeWin* o = owner ? find(owner) : nullptr;
  if (o)
    XSetTransientForHint(d_, w.xid, o->xid);
  else
    XDeleteProperty(d_, w.xid, XA_WM_TRANSIENT_FOR);
}

bool X11Backend::windowManagerPresent() {
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  bool present = false;
  if (XGetWindowProperty(d_, root_, atom("_NET_SUPPORTING_WM_CHECK"), 0, 1, False, XA_WINDOW,
                         &type, &format, &count, &after, &data) == Success &&
      type == XA_WINDOW && count == 1)
    present = true;
  if (data) XFree(data);
  return present;
}

void X11Backend::activate(NativeWin& w) {
  if (w.popup) return;  // popups never take the focus, as on the platform
  if (windowManagerPresent()) {
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = w.xid;
    e.xclient.message_type = aNetActive_;
    e.xclient.format = 32;
    e.xclient.data.l[0] = 1;
    e.xclient.data.l[1] = long(lastTime_);
    XSendEvent(d_, root_, False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
    return;
  }
  // No window manager: the focus can only go to a viewable window, so it
  // waits for the map when the window is not shown yet.
  XWindowAttributes attrs{};
  if (XGetWindowAttributes(d_, w.xid, &attrs) && attrs.map_state == IsViewable)
    XSetInputFocus(d_, w.xid, RevertToParent, CurrentTime);
  else
    w.focusOnMap = true;
}

void X11Backend::SetNativeTitle(HWND hwnd, const rtl::String& title) {
  if (NativeWin* w = find(hwnd)) {
    w->params.title = title;
    setTitle(*w, title);
    XFlush(d_);
  }
}

void X11Backend::SetNativeRect(HWND hwnd, const RECT& r) {
  NativeWin* w = find(hwnd);
  if (!w) return;
  w->rect = r;
  XMoveResizeWindow(d_, w->xid, r.left + origin_.x, r.top + origin_.y,
                    unsigned(std::max(1, int(r.right - r.left))),
                    unsigned(std::max(1, int(r.bottom - r.top))));
  XFlush(d_);
}

void X11Backend::ShowNativeWindow(HWND hwnd, bool visible, bool activateIt) {
  NativeWin* w = find(hwnd);
  if (!w) return;
  if (visible) {
    if (!w->visible) {
      XMapRaised(d_, w->xid);
      w->visible = true;
    }
    if (activateIt) activate(*w);
  } else if (w->visible) {
    if (w->popup)
      XUnmapWindow(d_, w->xid);
    else
      XWithdrawWindow(d_, w->xid, screen_);
    w->visible = false;
    w->focusOnMap = false;
  }
  XFlush(d_);
}

void X11Backend::SetNativeTopmost(HWND hwnd, bool topmost) {
  NativeWin* w = find(hwnd);
  if (!w || w->topmost == topmost) return;
  w->topmost = topmost;
  if (w->popup) {
    if (topmost) XRaiseWindow(d_, w->xid);
  } else {
    setNetState(*w, atom("_NET_WM_STATE_ABOVE"), topmost);
  }
  XFlush(d_);
}

void X11Backend::SetNativeOwner(HWND hwnd, HWND owner) {
  if (NativeWin* w = find(hwnd)) {
    w->params.owner = owner;
    setOwner(*w, owner);
    XFlush(d_);
  }
}

void X11Backend::RaiseNativeWindow(HWND hwnd, bool activateIt) {
  NativeWin* w = find(hwnd);
  if (!w) return;
  XRaiseWindow(d_, w->xid);
  if (activateIt && w->visible) activate(*w);
  XFlush(d_);
}

void X11Backend::SetNativeShape(HWND hwnd, HRGN region) {
  NativeWin* w = find(hwnd);
  if (!w) return;
  if (!region) {
    w->shaped = false;
    w->shape.clear();
    XShapeCombineMask(d_, w->xid, ShapeBounding, 0, 0, None, ShapeSet);
    XFlush(d_);
    return;
  }
  const gdi::DWORD size = gdi::GetRegionData(region, 0, nullptr);
  if (size < sizeof(gdi::RGNDATAHEADER)) return;
  std::vector<std::uint8_t> buffer(size);
  auto* data = reinterpret_cast<gdi::RGNDATA*>(buffer.data());
  if (gdi::GetRegionData(region, size, data) == 0) return;
  const auto* rects = reinterpret_cast<const RECT*>(buffer.data() + sizeof(gdi::RGNDATAHEADER));
  const std::size_t count =
      std::min<std::size_t>(data->rdh.nCount, (size - sizeof(gdi::RGNDATAHEADER)) / sizeof(RECT));
  std::vector<XRectangle> xr;
  xr.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    const RECT& r = rects[i];
    if (r.right <= r.left || r.bottom <= r.top) continue;
    xr.push_back({short(r.left), short(r.top), static_cast<unsigned short>(r.right - r.left),
                  static_cast<unsigned short>(r.bottom - r.top)});
  }
  w->shape = std::move(xr);
  w->shaped = true;
  applyShape(*w);
  XFlush(d_);
}

void X11Backend::applyShape(NativeWin& w) {
  XShapeCombineRectangles(d_, w.xid, ShapeBounding, 0, 0, w.shape.data(), int(w.shape.size()),
                          ShapeSet, YXBanded);
}

void X11Backend::SetNativeOpacity(HWND hwnd, BYTE alpha) {
  NativeWin* w = find(hwnd);
  if (!w) return;
  // A compositing manager reads the opacity; without one the window stays
  // opaque, which is the fallback the platform's own basic mode has too.
  if (alpha == 255) {
    XDeleteProperty(d_, w->xid, aOpacity_);
  } else {
    const unsigned long value = 0x01010101ul * alpha;
    XChangeProperty(d_, w->xid, aOpacity_, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&value), 1);
  }
  XFlush(d_);
}

// ---- presenting ------------------------------------------------------------------
void X11Backend::freeImage(NativeWin& w) {
  if (!w.image) return;
  if (w.shmAttached) {
    XShmDetach(d_, &w.shm);
    XSync(d_, False);
    shmdt(w.shm.shmaddr);
    w.image->data = nullptr;
    w.shmAttached = false;
  }
  XDestroyImage(w.image);  // frees heap pixel memory too
  w.image = nullptr;
}

bool X11Backend::ensureImage(NativeWin& w, int width, int height) {
  if (w.image && w.image->width == width && w.image->height == height) return true;
  freeImage(w);
  if (useShm_) {
    XImage* img = XShmCreateImage(d_, w.argb ? argbVisual_ : visual_, w.argb ? 32u : unsigned(depth_),
                                  ZPixmap, nullptr, &w.shm,
                                  unsigned(width), unsigned(height));
    if (img) {
      const std::size_t bytes = std::size_t(img->bytes_per_line) * std::size_t(height);
      w.shm.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
      if (w.shm.shmid >= 0) {
        w.shm.shmaddr = img->data = static_cast<char*>(shmat(w.shm.shmid, nullptr, 0));
        w.shm.readOnly = False;
        bool ok = w.shm.shmaddr != reinterpret_cast<char*>(-1);
        if (ok) {
          ErrorTrap trap(d_);
          XShmAttach(d_, &w.shm);
          ok = !trap.failed();
        }
        // Marked for removal at once: it goes when both sides detach, even
        // if the program ends abruptly.
        shmctl(w.shm.shmid, IPC_RMID, nullptr);
        if (ok) {
          w.image = img;
          w.shmAttached = true;
          return true;
        }
        if (w.shm.shmaddr != reinterpret_cast<char*>(-1)) shmdt(w.shm.shmaddr);
      }
      img->data = nullptr;
      XDestroyImage(img);
    }
    // A remote server or one without the segment: plain requests from now on.
    useShm_ = false;
  }
  XImage* img = XCreateImage(d_, w.argb ? argbVisual_ : visual_, w.argb ? 32u : unsigned(depth_),
                             ZPixmap, 0, nullptr, unsigned(width),
                             unsigned(height), 32, 0);
  if (!img) return false;
  img->byte_order = LSBFirst;  // our pixels' order; Xlib swaps for the server
  img->data = static_cast<char*>(std::calloc(std::size_t(img->bytes_per_line), std::size_t(height)));
  if (!img->data) {
    XDestroyImage(img);
    return false;
  }
  w.image = img;
  return true;
}

void X11Backend::copyPixels(NativeWin& w, const gdi::Surface& s, const RECT& r) {
  XImage* img = w.image;
  const bool direct = img->bits_per_pixel == 32 && img->red_mask == 0xFF0000 &&
                      img->green_mask == 0xFF00 && img->blue_mask == 0xFF;
  for (int y = r.top; y < r.bottom; ++y) {
    const std::uint32_t* src = s.row(y);
    if (w.argb) {
      // Premultiplied ARGB for the compositor: the surface's own alpha, or
      // opaque; the colour key's pixels fully transparent.
      auto* dst = reinterpret_cast<std::uint32_t*>(img->data + std::ptrdiff_t(y) * img->bytes_per_line);
      const NativeTransparency& t = w.transparency;
      const std::uint32_t key = (std::uint32_t(gdi::GetRValue(t.key)) << 16) |
                                (std::uint32_t(gdi::GetGValue(t.key)) << 8) | gdi::GetBValue(t.key);
      for (int x = r.left; x < r.right; ++x) {
        std::uint32_t px = src[x];
        if (!t.perPixelAlpha) px |= 0xFF000000u;
        if (t.colorKey && (src[x] & 0xFFFFFFu) == key) px = 0;
        dst[x] = px;
      }
    } else if (direct) {
      auto* dst = reinterpret_cast<std::uint32_t*>(img->data + std::ptrdiff_t(y) * img->bytes_per_line);
      std::memcpy(dst + r.left, src + r.left, std::size_t(r.right - r.left) * 4);
    } else {
      // Another visual (16-bit, other masks): the slow, general way.
      for (int x = r.left; x < r.right; ++x) {
        const std::uint32_t px = src[x];
        auto scale = [](std::uint32_t v, unsigned long mask) -> unsigned long {
          if (!mask) return 0;
          const int shift = __builtin_ctzl(mask);
          const unsigned long max = mask >> shift;
          return ((v * max + 127) / 255) << shift;
        };
        XPutPixel(img, x, y,
                  scale((px >> 16) & 0xFF, img->red_mask) | scale((px >> 8) & 0xFF, img->green_mask) |
                      scale(px & 0xFF, img->blue_mask));
      }
    }
  }
}

void X11Backend::Present(HWND hwnd, const gdi::Surface& surface, const RECT& dirty) {
  NativeWin* w = find(hwnd);
  if (!w || surface.empty()) return;
  RECT r = dirty;
  r.left = std::max<LONG>(r.left, 0);
  r.top = std::max<LONG>(r.top, 0);
  r.right = std::min<LONG>(r.right, surface.width);
  r.bottom = std::min<LONG>(r.bottom, surface.height);
  if (r.right <= r.left || r.bottom <= r.top) return;
  if (!ensureImage(*w, surface.width, surface.height)) return;
  copyPixels(*w, surface, r);
  const unsigned width = unsigned(r.right - r.left), height = unsigned(r.bottom - r.top);
  // A GC serves drawables of its own depth only.
  if (w->argb && !argbGc_) argbGc_ = XCreateGC(d_, w->xid, 0, nullptr);
  GC gc = w->argb ? argbGc_ : gc_;
  if (w->shmAttached) {
    XShmPutImage(d_, w->xid, gc, w->image, r.left, r.top, r.left, r.top, width, height, False);
    // The segment is written again by the next present: wait until the
    // server has read it.
    XSync(d_, False);
  } else {
    XPutImage(d_, w->xid, gc, w->image, r.left, r.top, r.left, r.top, width, height);
    XFlush(d_);
  }
}

// ---- cursors and pointer ---------------------------------------------------------
Cursor X11Backend::cursorFromImage(const gdi::ImageBGRA& image, POINT hotspot) {
  if (image.width <= 0 || image.height <= 0) return 0;
  XcursorImage* xi = XcursorImageCreate(image.width, image.height);
  if (!xi) return 0;
  xi->xhot = XcursorDim(std::clamp<int>(hotspot.x, 0, image.width - 1));
  xi->yhot = XcursorDim(std::clamp<int>(hotspot.y, 0, image.height - 1));
  for (std::size_t i = 0; i < image.pixels.size(); ++i) {
    // Xcursor wants premultiplied alpha.
    const std::uint32_t px = image.pixels[i];
    const std::uint32_t a = px >> 24;
    auto mul = [a](std::uint32_t c) { return (c * a + 127) / 255; };
    xi->pixels[i] = (a << 24) | (mul((px >> 16) & 0xFF) << 16) | (mul((px >> 8) & 0xFF) << 8) |
                    mul(px & 0xFF);
  }
  const Cursor c = XcursorImageLoadCursor(d_, xi);
  XcursorImageDestroy(xi);
  return c;
}

Cursor X11Backend::systemCursor(UINT id) {
  auto it = systemCursors_.find(id);
  if (it != systemCursors_.end()) return it->second;
  POINT hot{};
  const gdi::ImageBGRA* image = SystemCursorImage(id, &hot);
  if (!image) image = SystemCursorImage(32512, &hot);  // unknown ids show the arrow
  const Cursor c = image ? cursorFromImage(*image, hot) : 0;
  systemCursors_[id] = c;
  return c;
}

void X11Backend::SetNativeCursor(HWND hwnd, const NativeCursor& cursor) {
  NativeWin* w = find(hwnd);
  if (!w) return;
  Cursor c = 0;
  Cursor own = 0;
  if (cursor.hidden) {
    if (!blankCursor_) blankCursor_ = cursorFromImage(gdi::ImageBGRA(1, 1, 0), {0, 0});
    c = blankCursor_;
  } else if (cursor.image) {
    c = own = cursorFromImage(*cursor.image, cursor.hotspot);
  } else {
    c = systemCursor(cursor.systemId ? cursor.systemId : 32512);
  }
  XDefineCursor(d_, w->xid, c);
  // The server keeps a defined cursor alive: the old one can go.
  if (w->cursor) XFreeCursor(d_, w->cursor);
  w->cursor = own;
  XFlush(d_);
}

void X11Backend::WarpPointer(POINT p) {
  XWarpPointer(d_, None, root_, 0, 0, 0, 0, p.x + origin_.x, p.y + origin_.y);
  XFlush(d_);
}

bool X11Backend::QueryPointer(POINT* screen) {
  Window rootRet = 0, child = 0;
  int rx = 0, ry = 0, wx = 0, wy = 0;
  unsigned mask = 0;
  if (!XQueryPointer(d_, root_, &rootRet, &child, &rx, &ry, &wx, &wy, &mask)) return false;
  *screen = toScreen(rx, ry);
  return true;
}

bool X11Backend::GrabPointer(HWND hwnd) {
  NativeWin* w = find(hwnd);
  if (!w) return false;
  const int status = XGrabPointer(d_, w->xid, False,
                                  ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                                      EnterWindowMask | LeaveWindowMask,
                                  GrabModeAsync, GrabModeAsync, None, None, CurrentTime);
  if (status != GrabSuccess) return false;
  grab_ = hwnd;
  return true;
}

void X11Backend::UngrabPointer() {
  XUngrabPointer(d_, CurrentTime);
  XFlush(d_);
  grab_ = nullptr;
}

// ---- monitors --------------------------------------------------------------------
void X11Backend::refreshMonitors() {
  monitors_.clear();
  int count = 0;
  XRRMonitorInfo* info = rrEventBase_ >= 0 ? XRRGetMonitors(d_, root_, True, &count) : nullptr;
  std::vector<RECT> rects;
  int primary = 0;
  for (int i = 0; i < count; ++i) {
    rects.push_back({info[i].x, info[i].y, info[i].x + info[i].width, info[i].y + info[i].height});
    if (info[i].primary) primary = i;
  }
  if (info) XRRFreeMonitors(info);
  if (rects.empty()) {
    rects.push_back({0, 0, DisplayWidth(d_, screen_), DisplayHeight(d_, screen_)});
    primary = 0;
  }
  std::rotate(rects.begin(), rects.begin() + primary, rects.begin() + primary + 1);
  origin_ = {rects[0].left, rects[0].top};

  // The window manager's work area (one rectangle per desktop).
  RECT work{};
  bool haveWork = false;
  long desktop = 0;
  Atom type = None;
  int format = 0;
  unsigned long n = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(d_, root_, aCurrentDesktop_, 0, 1, False, XA_CARDINAL, &type, &format, &n,
                         &after, &data) == Success &&
      type == XA_CARDINAL && format == 32 && n == 1)
    desktop = reinterpret_cast<long*>(data)[0];
  if (data) XFree(data);
  data = nullptr;
  if (XGetWindowProperty(d_, root_, aWorkArea_, 0, 4096, False, XA_CARDINAL, &type, &format, &n,
                         &after, &data) == Success &&
      type == XA_CARDINAL && format == 32 && n >= 4) {
    const auto* v = reinterpret_cast<long*>(data);
    const unsigned long at = (desktop >= 0 && (unsigned long)(desktop + 1) * 4 <= n) ? desktop * 4 : 0;
    work = {LONG(v[at]), LONG(v[at + 1]), LONG(v[at] + v[at + 2]), LONG(v[at + 1] + v[at + 3])};
    haveWork = true;
  }
  if (data) XFree(data);

  for (std::size_t i = 0; i < rects.size(); ++i) {
    MonitorDesc m;
    const RECT& r = rects[i];
    m.monitor = {r.left - origin_.x, r.top - origin_.y, r.right - origin_.x, r.bottom - origin_.y};
    RECT wr = r;
    if (haveWork) {
      wr = {std::max(r.left, work.left), std::max(r.top, work.top), std::min(r.right, work.right),
            std::min(r.bottom, work.bottom)};
      if (wr.right <= wr.left || wr.bottom <= wr.top) wr = r;
    }
    m.work = {wr.left - origin_.x, wr.top - origin_.y, wr.right - origin_.x, wr.bottom - origin_.y};
    m.primary = i == 0;
    m.name = rtl::S("\\\\.\\DISPLAY" + std::to_string(i + 1));
    monitors_.push_back(m);
  }
  monitorsValid_ = true;
}

std::vector<MonitorDesc> X11Backend::Monitors() {
  if (!monitorsValid_) refreshMonitors();
  return monitors_;
}

// ---- events ----------------------------------------------------------------------
bool X11Backend::DispatchNativeEvents() {
  bool any = false;
  while (XPending(d_) > 0) {
    XEvent ev;
    XNextEvent(d_, &ev);
    any = true;
    // A dead key is told before the input method takes it, so that it
    // comes as WM_DEADCHAR; the method still sees it to compose the next key.
    if (ev.type == KeyPress && ev.xkey.keycode != 0 && handleDeadKey(ev.xkey)) {
      XFilterEvent(&ev, None);
      continue;
    }
    // The input method takes the key events it composes.
    if (XFilterEvent(&ev, None)) {
      if (ev.type == KeyPress && ev.xkey.keycode != 0) keysDown_.insert(ev.xkey.keycode);
      continue;
    }
    handle(ev);
  }
  flushDeferred();
  return any;
}

void X11Backend::flushDeferred() {
  if (pendingFocusOut_) {
    NativeEvent e;
    e.type = kFocusOutEvent;
    e.window = pendingFocusOut_;
    pendingFocusOut_ = nullptr;
    push(e);
  }
  if (pendingLeave_) {
    pendingLeave_ = false;
    NativeEvent e;
    e.type = NativeEventType::MouseLeave;
    push(e);
  }
}

void X11Backend::handle(XEvent& ev) {
  switch (ev.type) {
    case MotionNotify: {
      // Only the latest position of a run of moves matters.
      XEvent next;
      while (XCheckTypedWindowEvent(d_, ev.xmotion.window, MotionNotify, &next)) ev = next;
      lastTime_ = ev.xmotion.time;
      NativeWin* w = findX(ev.xmotion.window);
      if (!w) return;
      NativeEvent e;
      e.type = NativeEventType::MouseMove;
      e.window = w->hwnd;
      e.screen = toScreen(ev.xmotion.x_root, ev.xmotion.y_root);
      push(e);
      return;
    }
    case ButtonPress:
    case ButtonRelease:
      handleButton(ev.xbutton, ev.type == ButtonPress);
      return;
    case KeyPress:
    case KeyRelease:
      handleKey(ev.xkey, ev.type == KeyPress);
      return;
    case EnterNotify:
      if (findX(ev.xcrossing.window)) pendingLeave_ = false;
      return;
    case LeaveNotify:
      if (ev.xcrossing.mode == NotifyNormal && ev.xcrossing.detail != NotifyInferior &&
          findX(ev.xcrossing.window))
        pendingLeave_ = true;
      return;
    case FocusIn: {
      if (ev.xfocus.detail == NotifyPointer || ev.xfocus.detail == NotifyInferior) return;
      NativeWin* w = findX(ev.xfocus.window);
      if (!w) return;
      if (w->ic) XSetICFocus(w->ic);
      if (pendingFocusOut_ == w->hwnd) {
        // Out and back in again (a grab by the window manager): nothing changed.
        pendingFocusOut_ = nullptr;
        return;
      }
      pendingFocusOut_ = nullptr;
      NativeEvent e;
      e.type = kFocusInEvent;
      e.window = w->hwnd;
      push(e);
      return;
    }
    case FocusOut: {
      if (ev.xfocus.detail == NotifyPointer || ev.xfocus.detail == NotifyInferior) return;
      NativeWin* w = findX(ev.xfocus.window);
      if (!w) return;
      if (w->ic) XUnsetICFocus(w->ic);
      keysDown_.clear();
      flushDeferred();
      pendingFocusOut_ = w->hwnd;
      return;
    }
    case Expose: {
      NativeWin* w = findX(ev.xexpose.window);
      if (!w) return;
      NativeEvent e;
      e.type = kExposeEvent;
      e.window = w->hwnd;
      e.rect = {ev.xexpose.x, ev.xexpose.y, ev.xexpose.x + ev.xexpose.width,
                ev.xexpose.y + ev.xexpose.height};
      push(e);
      return;
    }
    case ConfigureNotify:
      handleConfigure(ev.xconfigure);
      return;
    case MapNotify: {
      NativeWin* w = findX(ev.xmap.window);
      if (w && w->focusOnMap) {
        w->focusOnMap = false;
        XSetInputFocus(d_, w->xid, RevertToParent, CurrentTime);
      }
      return;
    }
    case ClientMessage: {
      if (ev.xclient.message_type != aProtocols_) return;
      const Atom what = Atom(ev.xclient.data.l[0]);
      if (what == aDeleteWindow_) {
        if (NativeWin* w = findX(ev.xclient.window)) {
          NativeEvent e;
          e.type = NativeEventType::Close;
          e.window = w->hwnd;
          push(e);
        }
      } else if (what == aPing_) {
        XEvent reply = ev;
        reply.xclient.window = root_;
        XSendEvent(d_, root_, False, SubstructureRedirectMask | SubstructureNotifyMask, &reply);
      }
      return;
    }
    case MappingNotify:
      XRefreshKeyboardMapping(&ev.xmapping);
      return;
    case PropertyNotify:
      lastTime_ = ev.xproperty.time;
      if (ev.xproperty.window == root_ &&
          (ev.xproperty.atom == aWorkArea_ || ev.xproperty.atom == aCurrentDesktop_))
        monitorsValid_ = false;
      else
        handleTransferProperty(ev.xproperty);
      return;
    case SelectionClear:
      if (ev.xselectionclear.selection == aClipboard_ && ev.xselectionclear.window == helper_) {
        ownClipboard_ = false;
        clipboard_.clear();
      }
      return;
    case SelectionRequest:
      handleSelectionRequest(ev.xselectionrequest);
      return;
    default:
      if (rrEventBase_ >= 0 && ev.type == rrEventBase_ + RRScreenChangeNotify) {
        XRRUpdateConfiguration(&ev);
        monitorsValid_ = false;
        refreshMonitors();
      }
      return;
  }
}

void X11Backend::handleButton(XButtonEvent& b, bool down) {
  lastTime_ = b.time;
  NativeWin* w = findX(b.window);
  if (!w) return;
  NativeEvent e;
  e.window = w->hwnd;
  e.screen = toScreen(b.x_root, b.y_root);
  switch (b.button) {
    case Button1: e.button = MouseButton::Left; break;
    case Button2: e.button = MouseButton::Middle; break;
    case Button3: e.button = MouseButton::Right; break;
    case 4: case 5: case 6: case 7:
      // The wheel comes as presses of buttons 4-7; their releases say nothing.
      if (!down) return;
      e.type = NativeEventType::MouseWheel;
      e.horizontal = b.button >= 6;
      e.wheelDelta = (b.button == 4 || b.button == 7) ? 120 : -120;
      push(e);
      return;
    case 8: e.button = MouseButton::X1; break;
    case 9: e.button = MouseButton::X2; break;
    default: return;
  }
  e.type = down ? NativeEventType::MouseDown : NativeEventType::MouseUp;
  push(e);
}

void X11Backend::handleKey(XKeyEvent& k, bool down) {
  lastTime_ = k.time;
  NativeWin* w = findX(k.window);
  if (!w) return;
  NativeEvent e;
  e.window = w->hwnd;
  if (k.keycode == 0) {
    // Text the input method composed, with no key of its own.
    if (!down || !w->ic) return;
    char buffer[256];
    KeySym sym = NoSymbol;
    Status status = 0;
    const int n = Xutf8LookupString(w->ic, &k, buffer, sizeof buffer, &sym, &status);
    if (n <= 0 || (status != XLookupChars && status != XLookupBoth)) return;
    e.type = NativeEventType::KeyDown;
    e.vk = kVkPacket;
    e.text = rtl::Utf8ToString(std::string_view(buffer, std::size_t(n)));
    push(e);
    NativeEvent up;
    up.type = NativeEventType::KeyUp;
    up.window = w->hwnd;
    up.vk = kVkPacket;
    push(up);
    return;
  }

  const int group = XkbGroupForCoreState(k.state);
  const KeySym base = XkbKeycodeToKeysym(d_, KeyCode(k.keycode), group, 0);
  KeySym effective = NoSymbol;
  std::string text;
  if (down) {
    char buffer[256];
    int n = 0;
    if (w->ic) {
      Status status = 0;
      n = Xutf8LookupString(w->ic, &k, buffer, sizeof buffer, &effective, &status);
      if (status == XBufferOverflow || (status != XLookupChars && status != XLookupBoth)) n = 0;
      if (status != XLookupKeySym && status != XLookupBoth) effective = NoSymbol;
    } else {
      n = XLookupString(&k, buffer, sizeof buffer, &effective, nullptr);
    }
    if (n > 0) text.assign(buffer, std::size_t(n));
  }
  if (effective == NoSymbol) {
    unsigned mods = 0;
    XkbLookupKeySym(d_, KeyCode(k.keycode), k.state, &mods, &effective);
  }
  const KeyIdentity id = IdentifyKey(k.keycode, base, effective);
  e.vk = id.vk;
  e.scanCode = id.scan;
  e.extended = id.extended;
  if (down) {
    e.type = NativeEventType::KeyDown;
    e.repeat = !keysDown_.insert(k.keycode).second;
    // Delete types nothing on the platform; X gives it a character.
    text.erase(std::remove(text.begin(), text.end(), '\x7f'), text.end());
    e.text = rtl::Utf8ToString(text);
  } else {
    e.type = NativeEventType::KeyUp;
    keysDown_.erase(k.keycode);
  }
  push(e);
}

bool X11Backend::handleDeadKey(XKeyEvent& k) {
  unsigned mods = 0;
  KeySym effective = NoSymbol;
  if (!XkbLookupKeySym(d_, KeyCode(k.keycode), k.state, &mods, &effective)) return false;
  char16_t accent = 0;
  if (!IsDeadKeysym(effective, &accent)) return false;
  NativeWin* w = findX(k.window);
  if (!w) return true;
  lastTime_ = k.time;
  const KeySym base = XkbKeycodeToKeysym(d_, KeyCode(k.keycode), XkbGroupForCoreState(k.state), 0);
  const KeyIdentity id = IdentifyKey(k.keycode, base, effective);
  NativeEvent e;
  e.type = NativeEventType::KeyDown;
  e.window = w->hwnd;
  e.vk = id.vk;
  e.scanCode = id.scan;
  e.extended = id.extended;
  e.repeat = !keysDown_.insert(k.keycode).second;
  e.deadKey = true;
  if (accent) e.text = rtl::String(1, accent);
  push(e);
  return true;
}

void X11Backend::handleConfigure(XConfigureEvent& c) {
  NativeWin* w = findX(c.window);
  if (!w) return;
  int x = c.x, y = c.y;
  if (!c.send_event && !w->popup) {
    // A window manager's frame makes the coordinates relative to it.
    Window child = 0;
    XTranslateCoordinates(d_, w->xid, root_, 0, 0, &x, &y, &child);
  }
  const RECT r{x - origin_.x, y - origin_.y, x - origin_.x + c.width, y - origin_.y + c.height};
  if (r.left == w->rect.left && r.top == w->rect.top && r.right == w->rect.right &&
      r.bottom == w->rect.bottom)
    return;
  w->rect = r;
  NativeEvent e;
  e.type = NativeEventType::Configure;
  e.window = w->hwnd;
  e.rect = r;
  push(e);
}

// ---- clipboard ---------------------------------------------------------------------
Time X11Backend::serverTime() {
  // A zero-length append makes the server stamp a property change.
  XChangeProperty(d_, helper_, aSelectionProp_, XA_STRING, 8, PropModeAppend, nullptr, 0);
  XEvent ev;
  auto match = [](X11Backend* self, const XEvent& e, void*) {
    return e.type == PropertyNotify && e.xproperty.window == self->helper_ &&
           e.xproperty.atom == self->aSelectionProp_;
  };
  if (waitForEvent(&ev, match, nullptr)) return ev.xproperty.time;
  return lastTime_;
}

bool X11Backend::waitForEvent(XEvent* out, bool (*match)(X11Backend*, const XEvent&, void*),
                              void* arg) {
  struct Ctx {
    X11Backend* self;
    bool (*match)(X11Backend*, const XEvent&, void*);
    void* arg;
  } ctx{this, match, arg};
  auto predicate = [](Display*, XEvent* e, XPointer p) -> Bool {
    auto* c = reinterpret_cast<Ctx*>(p);
    return c->match(c->self, *e, c->arg) ? True : False;
  };
  const rtl::Int64 deadline = realMs() + kSelectionTimeoutMs;
  XFlush(d_);
  for (;;) {
    if (XCheckIfEvent(d_, out, predicate, reinterpret_cast<XPointer>(&ctx))) return true;
    const rtl::Int64 left = deadline - realMs();
    if (left <= 0) return false;
    pollfd fd{ConnectionNumber(d_), POLLIN, 0};
    if (poll(&fd, 1, int(std::min<rtl::Int64>(left, 100))) < 0 && errno != EINTR) return false;
    // Reads what arrived into Xlib's queue without taking events out.
    XEventsQueued(d_, QueuedAfterReading);
  }
}

void X11Backend::SetClipboard(const std::vector<ClipboardItem>& items) {
  clipboard_ = items;
  clipboardTime_ = serverTime();
  XSetSelectionOwner(d_, aClipboard_, helper_, clipboardTime_);
  ownClipboard_ = XGetSelectionOwner(d_, aClipboard_) == helper_;
  XFlush(d_);
}

void X11Backend::handleSelectionRequest(XSelectionRequestEvent& r) {
  XEvent reply{};
  reply.xselection.type = SelectionNotify;
  reply.xselection.requestor = r.requestor;
  reply.xselection.selection = r.selection;
  reply.xselection.target = r.target;
  reply.xselection.time = r.time;
  reply.xselection.property = None;
  // Old clients give no property: the target names it.
  const Atom property = r.property != None ? r.property : r.target;

  const bool ours = r.selection == aClipboard_ && ownClipboard_ && r.owner == helper_ &&
                    (r.time == CurrentTime || r.time >= clipboardTime_);
  if (ours) {
    std::vector<ClipboardFormatId> formats;
    for (const ClipboardItem& item : clipboard_) formats.push_back(item.format);
    const std::vector<SelectionTarget> targets = TargetsForFormats(formats);
    if (r.target == aTargets_) {
      std::vector<Atom> list{aTargets_, aTimestamp_};
      for (const SelectionTarget& t : targets) list.push_back(atom(t.type.c_str()));
      XChangeProperty(d_, r.requestor, property, XA_ATOM, 32, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(list.data()), int(list.size()));
      reply.xselection.property = property;
    } else if (r.target == aTimestamp_) {
      const long stamp = long(clipboardTime_);
      XChangeProperty(d_, r.requestor, property, XA_INTEGER, 32, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(&stamp), 1);
      reply.xselection.property = property;
    } else {
      const std::string type = atomName(r.target);
      for (const SelectionTarget& t : targets) {
        if (t.type != type) continue;
        const ClipboardItem* item = nullptr;
        for (const ClipboardItem& i : clipboard_)
          if (i.format == t.format) item = &i;
        Bytes out;
        try {
          if (!item || !ConvertToTarget(type, t.format, item->data, out)) break;
        } catch (const rtl::Exception&) {
          break;  // our own data could not be converted: refuse the request
        }
        const Atom replyType = type == "TEXT" ? aUtf8_ : r.target;
        const std::size_t maxChunk = std::size_t(std::max<long>(XExtendedMaxRequestSize(d_),
                                                                XMaxRequestSize(d_))) * 4 / 2;
        if (out.size() > maxChunk) {
          // Too large for one request: the incremental protocol.
          OutgoingTransfer tr;
          tr.requestor = r.requestor;
          tr.property = property;
          tr.type = replyType;
          tr.data = std::move(out);
          const long size = long(tr.data.size());
          XSelectInput(d_, r.requestor, PropertyChangeMask);
          XChangeProperty(d_, r.requestor, property, aIncr_, 32, PropModeReplace,
                          reinterpret_cast<const unsigned char*>(&size), 1);
          transfers_.push_back(std::move(tr));
        } else {
          XChangeProperty(d_, r.requestor, property, replyType, 8, PropModeReplace, out.data(),
                          int(out.size()));
        }
        reply.xselection.property = property;
        break;
      }
    }
  }
  XSendEvent(d_, r.requestor, False, NoEventMask, &reply);
  XFlush(d_);
}

void X11Backend::handleTransferProperty(XPropertyEvent& p) {
  if (p.state != PropertyDelete) return;
  for (auto it = transfers_.begin(); it != transfers_.end(); ++it) {
    if (it->requestor != p.window || it->property != p.atom) continue;
    const std::size_t chunk = std::size_t(XMaxRequestSize(d_)) * 4 / 2;
    const std::size_t n = std::min(chunk, it->data.size() - it->sent);
    XChangeProperty(d_, it->requestor, it->property, it->type, 8, PropModeReplace,
                    it->data.data() + it->sent, int(n));
    it->sent += n;
    if (n == 0) transfers_.erase(it);  // the empty chunk ended it
    XFlush(d_);
    return;
  }
}

bool X11Backend::convertSelection(Atom target, std::vector<std::uint8_t>* data, Atom* type) {
  XDeleteProperty(d_, helper_, aSelectionProp_);
  XConvertSelection(d_, aClipboard_, target, aSelectionProp_, helper_,
                    lastTime_ != CurrentTime ? lastTime_ : CurrentTime);
  XEvent ev;
  auto notify = [](X11Backend* self, const XEvent& e, void*) {
    return e.type == SelectionNotify && e.xselection.requestor == self->helper_;
  };
  if (!waitForEvent(&ev, notify, nullptr) || ev.xselection.property == None) return false;

  auto readProperty = [&](std::vector<std::uint8_t>& out, Atom* outType) -> bool {
    Atom actual = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* bytes = nullptr;
    if (XGetWindowProperty(d_, helper_, aSelectionProp_, 0, 0x1FFFFFFF, True, AnyPropertyType,
                           &actual, &format, &count, &after, &bytes) != Success)
      return false;
    *outType = actual;
    // Xlib hands 32-bit items as longs.
    const std::size_t unit = format == 32 ? sizeof(long) : std::size_t(format / 8);
    if (bytes && unit) out.assign(bytes, bytes + count * unit);
    if (bytes) XFree(bytes);
    return actual != None;
  };

  std::vector<std::uint8_t> first;
  Atom actual = None;
  if (!readProperty(first, &actual)) return false;
  if (actual != aIncr_) {
    *data = std::move(first);
    *type = actual;
    return true;
  }
  // Incremental: each deletion (done by the read) asks for the next chunk;
  // an empty one ends the transfer.
  data->clear();
  for (;;) {
    auto newValue = [](X11Backend* self, const XEvent& e, void*) {
      return e.type == PropertyNotify && e.xproperty.window == self->helper_ &&
             e.xproperty.atom == self->aSelectionProp_ && e.xproperty.state == PropertyNewValue;
    };
    if (!waitForEvent(&ev, newValue, nullptr)) return false;
    std::vector<std::uint8_t> chunk;
    if (!readProperty(chunk, &actual)) return false;
    if (chunk.empty()) break;
    if (data->size() + chunk.size() > kMaxClipboardBytes) return false;
    data->insert(data->end(), chunk.begin(), chunk.end());
  }
  *type = actual;
  return true;
}

std::vector<std::string> X11Backend::offeredTargets() {
  std::vector<std::string> names;
  std::vector<std::uint8_t> raw;
  Atom type = None;
  if (XGetSelectionOwner(d_, aClipboard_) == None) return names;
  if (!convertSelection(aTargets_, &raw, &type) || type != XA_ATOM) return names;
  const std::size_t count = raw.size() / sizeof(long);
  for (std::size_t i = 0; i < count; ++i) {
    long value = 0;
    std::memcpy(&value, raw.data() + i * sizeof(long), sizeof(long));
    names.push_back(atomName(Atom(value)));
  }
  return names;
}

std::vector<ClipboardFormatId> X11Backend::ClipboardFormats() {
  std::vector<ClipboardFormatId> formats;
  if (ownClipboard_) {
    for (const ClipboardItem& item : clipboard_) formats.push_back(item.format);
    return formats;
  }
  auto add = [&formats](const ClipboardFormatId& f) {
    if (std::find(formats.begin(), formats.end(), f) == formats.end()) formats.push_back(f);
  };
  for (const std::string& t : offeredTargets()) {
    ClipboardFormatId f;
    if (!FormatForTarget(t, &f)) continue;
    add(f);
    if (t == "image/png") add({0, std::u16string(kPngFormatName)});
  }
  return formats;
}

bool X11Backend::GetClipboard(const ClipboardFormatId& format, std::vector<std::uint8_t>* data) {
  if (ownClipboard_) {
    for (const ClipboardItem& item : clipboard_)
      if (item.format == format) {
        *data = item.data;
        return true;
      }
    return false;
  }
  const std::vector<std::string> offered = offeredTargets();
  // The richest type first for each format.
  static const char* const kPreferred[] = {"UTF8_STRING", "text/plain;charset=utf-8", "STRING",
                                           "image/png", "text/rtf", "application/rtf"};
  for (const char* type : kPreferred) {
    if (std::find(offered.begin(), offered.end(), type) == offered.end()) continue;
    ClipboardFormatId filled;
    if (!FormatForTarget(type, &filled)) continue;
    const bool png = format.standard == 0 && format.name == kPngFormatName;
    if (!(filled == format) && !(png && std::string_view(type) == "image/png")) continue;
    std::vector<std::uint8_t> raw;
    Atom actual = None;
    if (!convertSelection(atom(type), &raw, &actual)) continue;
    // The owner may answer a text request in another encoding.
    const std::string actualType = atomName(actual);
    try {
      if (ConvertFromTarget(actualType == "TEXT" ? type : actualType, format, raw, *data))
        return true;
    } catch (const rtl::Exception&) {
      // Bad data from the other program: try the next type.
    }
  }
  return false;
}

}  // namespace

std::unique_ptr<Backend> CreateBackend(const std::string& displayName, std::string* error) {
  XInitThreads();
  Display* d = XOpenDisplay(displayName.empty() ? nullptr : displayName.c_str());
  if (!d) {
    if (error) *error = "cannot open display \"" + std::string(XDisplayName(displayName.empty() ? nullptr : displayName.c_str())) + "\"";
    return nullptr;
  }
  return std::make_unique<X11Backend>(d);
}

}  // namespace win::x11

namespace win {

std::unique_ptr<Backend> CreateX11Backend() { return x11::CreateBackend(); }

}  // namespace win
