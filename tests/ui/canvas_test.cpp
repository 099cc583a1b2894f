// The canvas draws what the same GDI calls draw, selects its tools lazily
// and keeps them in step with their properties.
#include <gtest/gtest.h>

#include "platform/gdi/gdi.h"
#include "platform/ui/ui.h"
#include "tests/support/golden.h"

using namespace ui;

namespace {

// A 32-bit memory DC over its own bitmap, white.
class Surface {
 public:
  Surface(int w, int h) : w_(w), h_(h) {
    dc_ = gdi::CreateCompatibleDC(nullptr);
    bmp_ = gdi::CreateBitmap(w, h, 1, 32, nullptr);
    old_ = gdi::SelectObject(dc_, bmp_);
    clear();
  }
  ~Surface() {
    gdi::SelectObject(dc_, old_);
    gdi::DeleteObject(bmp_);
    gdi::DeleteDC(dc_);
  }
  gdi::HDC dc() const { return dc_; }
  gdi::ImageBGRA Image() const { return gdi::CaptureBitmap(bmp_); }
  gdi::COLORREF At(int x, int y) const { return gdi::GetPixel(dc_, x, y); }

 private:
  void clear() {
    gdi::RECT all{0, 0, w_, h_};
    gdi::FillRect(dc_, &all, static_cast<gdi::HBRUSH>(gdi::GetStockObject(gdi::WHITE_BRUSH)));
  }
  int w_, h_;
  gdi::HDC dc_;
  gdi::HBITMAP bmp_;
  gdi::HGDIOBJ old_;
};

// Selects an object for a scope and deletes it afterwards.
struct Selected {
  gdi::HDC dc;
  gdi::HGDIOBJ obj, old;
  Selected(gdi::HDC d, gdi::HGDIOBJ o) : dc(d), obj(o), old(gdi::SelectObject(d, o)) {}
  ~Selected() {
    gdi::SelectObject(dc, old);
    gdi::DeleteObject(obj);
  }
};

}  // namespace

TEST(Canvas, ShapesEqualTheSameGdiCalls) {
  Surface viaCanvas(80, 60), viaGdi(80, 60);
  {
    TCanvas c;
    c.SetHandle(viaCanvas.dc());
    c.Pen()->SetColor(clNavy);
    c.Pen()->SetWidth(2);
    c.Brush()->SetColor(clYellow);
    c.Rectangle(4, 4, 30, 24);
    c.Brush()->SetStyle(bsDiagCross);
    c.Brush()->SetColor(clRed);
    c.Ellipse(34, 4, 76, 30);
    c.Pen()->SetStyle(psDot);
    c.Pen()->SetWidth(1);
    c.MoveTo(4, 40);
    c.LineTo(76, 40);
    c.Brush()->SetStyle(bsSolid);
    c.Brush()->SetColor(clBtnFace);
    c.FillRect(Rect(4, 44, 40, 56));
    c.Polygon({Point(50, 44), Point(76, 44), Point(63, 58)});
    EXPECT_EQ(c.PenPos().x, 76);
  }
  {
    gdi::HDC dc = viaGdi.dc();
    {
      Selected pen(dc, gdi::CreatePen(gdi::PS_SOLID, 2, gdi::RGB(0, 0, 128)));
      Selected brush(dc, gdi::CreateSolidBrush(gdi::RGB(255, 255, 0)));
      gdi::Rectangle(dc, 4, 4, 30, 24);
    }
    {
      Selected pen(dc, gdi::CreatePen(gdi::PS_SOLID, 2, gdi::RGB(0, 0, 128)));
      Selected brush(dc, gdi::CreateHatchBrush(gdi::HS_DIAGCROSS, gdi::RGB(255, 0, 0)));
      gdi::SetBkMode(dc, gdi::TRANSPARENT);
      gdi::Ellipse(dc, 34, 4, 76, 30);
      gdi::SetBkMode(dc, gdi::OPAQUE);
    }
    {
      // The dotted line's gaps take the background of the hatched brush:
      // transparent, as the canvas leaves it.
      Selected pen(dc, gdi::CreatePen(gdi::PS_DOT, 1, gdi::RGB(0, 0, 128)));
      gdi::SetBkMode(dc, gdi::TRANSPARENT);
      gdi::MoveToEx(dc, 4, 40, nullptr);
      gdi::LineTo(dc, 76, 40);
      gdi::SetBkMode(dc, gdi::OPAQUE);
      Selected brush(dc, gdi::CreateSolidBrush(gdi::GetSysColor(gdi::COLOR_BTNFACE)));
      gdi::RECT r{4, 44, 40, 56};
      gdi::FillRect(dc, &r, static_cast<gdi::HBRUSH>(brush.obj));
      gdi::SetBkColor(dc, gdi::GetSysColor(gdi::COLOR_BTNFACE));  // the solid brush's colour
      const gdi::POINT pts[] = {{50, 44}, {76, 44}, {63, 58}};
      gdi::Polygon(dc, pts, 3);
    }
  }
  EXPECT_EQ(viaCanvas.Image(), viaGdi.Image());
}

TEST(Canvas, FontColourChangedBetweenTextOutsTakesEffect) {
  Surface s(120, 40);
  TCanvas c;
  c.SetHandle(s.dc());
  c.Brush()->SetStyle(bsClear);
  c.Font()->SetColor(clRed);
  c.TextOut(2, 2, u"W");
  c.Font()->SetColor(clBlue);
  c.TextOut(40, 2, u"W");
  // The font selected into the DC follows a change of height as well.
  c.Font()->SetHeight(-24);
  const int height = c.TextHeight(u"W");
  gdi::TEXTMETRICW tm;
  gdi::GetTextMetricsW(s.dc(), &tm);
  EXPECT_EQ(height, tm.tmHeight);
  EXPECT_GT(height, 24);
  auto count = [&](int x0, int x1, gdi::COLORREF want) {
    int n = 0;
    for (int y = 0; y < 20; ++y)
      for (int x = x0; x < x1; ++x) n += s.At(x, y) == want;
    return n;
  };
  EXPECT_GT(count(0, 20, gdi::RGB(255, 0, 0)), 3);
  EXPECT_EQ(count(0, 20, gdi::RGB(0, 0, 255)), 0);
  EXPECT_GT(count(38, 60, gdi::RGB(0, 0, 255)), 3);
  EXPECT_EQ(count(38, 60, gdi::RGB(255, 0, 0)), 0);
}

TEST(Canvas, TextOutMovesThePenAndSolidBrushFillsTheBackground) {
  Surface s(100, 30);
  TCanvas c;
  c.SetHandle(s.dc());
  c.Brush()->SetColor(clLime);
  c.TextOut(5, 5, u"Abc");
  EXPECT_EQ(c.PenPos().x, 5 + c.TextWidth(u"Abc"));
  EXPECT_EQ(s.At(5, 5), gdi::RGB(0, 255, 0));  // the text cell's corner
  c.Brush()->SetStyle(bsClear);
  c.TextOut(5, 5, u"   ");  // blanks on a clear brush change nothing
  EXPECT_EQ(s.At(5, 5), gdi::RGB(0, 255, 0));
}

TEST(Canvas, TextRectFormatsThroughDrawText) {
  Surface s(100, 40);
  TCanvas c;
  c.SetHandle(s.dc());
  TRect r = Rect(0, 0, 100, 40);
  String text = u"Hello";
  c.TextRect(r, text, {TTextFormats::tfCalcRect, TTextFormats::tfSingleLine});
  EXPECT_EQ(r.right - r.left, c.TextWidth(u"Hello"));
  EXPECT_EQ(r.bottom - r.top, c.TextHeight(u"Hello"));
  // An ellipsis written back into the text.
  TRect narrow = Rect(0, 0, c.TextWidth(u"Hel"), 20);
  String longText = u"Hello world";
  c.TextRect(narrow, longText,
             {TTextFormats::tfSingleLine, TTextFormats::tfEndEllipsis, TTextFormats::tfModifyString});
  EXPECT_NE(longText, u"Hello world");
  EXPECT_EQ(longText.substr(longText.size() - 3), u"...");
}

TEST(Canvas, PixelsAndCopyRect) {
  Surface a(20, 20), b(20, 20);
  TCanvas ca, cb;
  ca.SetHandle(a.dc());
  cb.SetHandle(b.dc());
  ca.SetPixels(3, 4, clRed);
  ca.SetPixels(5, 6, clBtnShadow);
  EXPECT_EQ(ca.Pixels(3, 4), clRed);
  EXPECT_EQ(gdi::COLORREF(ca.Pixels(5, 6)), gdi::GetSysColor(gdi::COLOR_BTNSHADOW));
  cb.CopyRect(Rect(10, 10, 20, 20), &ca, Rect(0, 0, 10, 10));
  EXPECT_EQ(cb.Pixels(13, 14), clRed);
  cb.SetCopyMode(cmNotSrcCopy);
  cb.CopyRect(Rect(0, 0, 10, 10), &ca, Rect(0, 0, 10, 10));
  EXPECT_EQ(cb.Pixels(3, 4), clAqua);  // not red
  EXPECT_EQ(cb.ClipRect(), Rect(0, 0, 20, 20));
}

TEST(Canvas, WithoutHandleRefusesToDraw) {
  TCanvas c;
  EXPECT_THROW(c.FillRect(Rect(0, 0, 1, 1)), rtl::EInvalidOperation);
}

TEST(Canvas, ReleasingTheHandleDeselectsItsTools) {
  Surface s(10, 10);
  {
    TCanvas c;
    c.SetHandle(s.dc());
    c.Rectangle(0, 0, 5, 5);
    c.TextOut(0, 0, u"x");
    EXPECT_EQ(gdi::GetCurrentObject(s.dc(), gdi::OBJ_PEN), gdi::HGDIOBJ(c.Pen()->Handle()));
  }
  // The canvas's pen and font are gone; the DC holds stock objects.
  EXPECT_EQ(gdi::GetCurrentObject(s.dc(), gdi::OBJ_PEN), gdi::GetStockObject(gdi::BLACK_PEN));
  EXPECT_EQ(gdi::GetCurrentObject(s.dc(), gdi::OBJ_FONT), gdi::GetStockObject(gdi::SYSTEM_FONT));
}

TEST(Canvas, OnChangingAndOnChangeBracketEveryDrawing) {
  Surface s(10, 10);
  TCanvas c;
  c.SetHandle(s.dc());
  std::string log;
  int token1, token2;
  c.SetOnChanging(TNotifyEvent::fromClosure(&token1, [&](rtl::TObject*) { log += '<'; }));
  c.SetOnChange(TNotifyEvent::fromClosure(&token2, [&](rtl::TObject*) { log += '>'; }));
  c.FillRect(Rect(0, 0, 2, 2));
  c.LineTo(5, 5);
  EXPECT_EQ(log, "<><>");
}

TEST(Canvas, LockNests) {
  TCanvas c;
  c.Lock();
  c.Lock();
  EXPECT_EQ(c.LockCount(), 2);
  c.Unlock();
  c.Unlock();
  EXPECT_EQ(c.LockCount(), 0);
}

// A bitmap whose canvas is drawn on by the sample of every tool.
TEST(Canvas, GoldenSample) {
  TBitmap bmp(120, 64);
  TCanvas* c = bmp.Canvas();
  c->Brush()->SetColor(clWhite);
  c->FillRect(Rect(0, 0, 120, 64));
  c->Pen()->SetColor(clNavy);
  c->Brush()->SetColor(TColor(0x59B861));  // red 97, green 184, blue 89
  c->RoundRect(4, 4, 56, 28, 10, 10);
  c->Brush()->SetStyle(bsFDiagonal);
  c->Brush()->SetColor(clMaroon);
  c->Ellipse(62, 4, 116, 28);
  c->Pen()->SetMode(pmXor);
  c->Pen()->SetColor(clWhite);
  c->Brush()->SetStyle(bsClear);
  c->Rectangle(10, 10, 110, 22);
  c->Pen()->SetMode(pmCopy);
  c->Pen()->SetColor(clBlack);
  c->Pie(4, 32, 30, 58, 30, 45, 17, 32);
  c->Font()->SetColor(clNavy);
  c->Font()->SetStyle({fsBold});
  c->TextOut(36, 36, u"Tahoma 8");
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(clBtnFace);
  c->DrawFocusRect(Rect(34, 34, 116, 52));
  EXPECT_GOLDEN(gdi::CaptureBitmap(bmp.Handle()), "ui", "canvas_sample",
                testing_support::GoldenOptions{48, 40, false});
}
