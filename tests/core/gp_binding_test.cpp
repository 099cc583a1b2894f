// The graphics-interface binding: availability and its switch, the status
// exception, codec look-up by MIME type, fonts with the outline fallback.
#include <gtest/gtest.h>

#include "lib/core/dxGDIPlusAPI.h"
#include "platform/gdiplus/gdiplus.h"
#include "platform/rtl/ustring.h"
#include "platform/win/window.h"

using namespace core;

namespace {

// Leaves the interface available and the codec identifiers found again,
// whatever a test switched.
class GpBinding : public testing::Test {
 protected:
  void TearDown() override {
    dxSetGdiPlusUnavailable(false);
    ASSERT_TRUE(CheckGdiPlus(false));
    CheckImageCodecs();
  }
};

TEST_F(GpBinding, UnavailableInterfaceFailsEveryCheckAndEachCheckTriesToLoadAgain) {
  ASSERT_TRUE(CheckGdiPlus(false));
  dxSetGdiPlusUnavailable(true);
  EXPECT_FALSE(dxGdiPlusPresent());
  const int attempts = dxGdiPlusLoadAttempts();
  EXPECT_FALSE(CheckGdiPlus(false));
  EXPECT_FALSE(CheckGdiPlus(true));  // no box, no exit: just false
  EXPECT_EQ(dxGdiPlusLoadAttempts(), attempts + 2);

  CLSID id{};
  EXPECT_EQ(GetEncoderID(u"image/png", id), gdiplus::GenericError);
  EXPECT_EQ(GetDecodecID(u"image/png", id), gdiplus::GenericError);
  EXPECT_FALSE(IsCodecIDValid(id));

  dxSetGdiPlusUnavailable(false);
  EXPECT_TRUE(CheckGdiPlus(false));
  // Once loaded, a check does not load again.
  const int loaded = dxGdiPlusLoadAttempts();
  EXPECT_TRUE(CheckGdiPlus(false));
  EXPECT_EQ(dxGdiPlusLoadAttempts(), loaded);
}

TEST_F(GpBinding, MimeTypesCompareWithoutCase) {
  struct Case {
    const char16_t* mime;
    const char16_t* same;
    bool encoder;
  };
  const Case cases[] = {
      {u"image/png", u"IMAGE/PNG", true},   {u"image/png", u"Image/Png", false},
      {u"image/jpeg", u"IMAGE/JPEG", true}, {u"image/gif", u"image/GIF", false},
      {u"image/x-icon", u"IMAGE/X-ICON", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(rtl::StringToUtf8(c.same));
    CLSID lower{}, upper{};
    auto lookUp = c.encoder ? &GetEncoderID : &GetDecodecID;
    ASSERT_EQ(lookUp(c.mime, lower), gdiplus::Ok);
    ASSERT_EQ(lookUp(c.same, upper), gdiplus::Ok);
    EXPECT_TRUE(IsCodecIDValid(lower));
    EXPECT_EQ(lower, upper);
  }
  CLSID none{};
  EXPECT_EQ(GetEncoderID(u"image/x-icon", none), gdiplus::GenericError);  // icons are only read
  EXPECT_EQ(GetDecodecID(u"image/x-emf", none), gdiplus::GenericError);
}

TEST_F(GpBinding, CodecCheckFillsRequiredAndOptionalIdentifiersAndLooksUpOnlyMissingOnes) {
  dxResetImageCodecs();
  CheckImageCodecs();
  for (const CLSID* id : {&PNGEncoder, &PNGDecoder, &BMPEncoder, &BMPDecoder, &GIFEncoder, &GIFDecoder, &JPEGEncoder,
                          &JPEGDecoder, &TIFFEncoder, &TIFFDecoder, &ICONDecoder})
    EXPECT_TRUE(IsCodecIDValid(*id));
  // No metafile decoders here: optional ones stay zero.
  EXPECT_FALSE(IsCodecIDValid(EMFDecoder));
  EXPECT_FALSE(IsCodecIDValid(WMFDecoder));

  // A valid identifier is not looked up again.
  const CLSID marker{0x12345678, 0, 0, {}};
  PNGEncoder = marker;
  CheckImageCodecs();
  EXPECT_EQ(PNGEncoder, marker);
  dxResetImageCodecs();
}

TEST_F(GpBinding, MissingPngCodecRaisesWhileTheInterfaceIsUnavailable) {
  dxResetImageCodecs();
  dxSetGdiPlusUnavailable(true);
  try {
    CheckImageCodecs();
    FAIL() << "no exception";
  } catch (const EdxGdipException& e) {
    EXPECT_EQ(e.Status(), gdiplus::GenericError);
  }
  // The optional codecs were never reached.
  EXPECT_FALSE(IsCodecIDValid(BMPDecoder));
}

TEST_F(GpBinding, ExceptionNamesTheWin32ErrorOnlyForWin32StatusWithAnError) {
  struct Case {
    gdiplus::GpStatus status;
    win::DWORD lastError;
    const char16_t* message;
  };
  const Case cases[] = {
      {gdiplus::Win32Error, 0, u"Invalid operation in GDI+ (Code: 7)"},
      {gdiplus::Win32Error, 5, u"Invalid operation in GDI+ (Win32 error code: 5)"},
      {gdiplus::InvalidParameter, 5, u"Invalid operation in GDI+ (Code: 2)"},
      {gdiplus::OutOfMemory, 0, u"Invalid operation in GDI+ (Code: 3)"},
  };
  for (const Case& c : cases) {
    win::SetLastError(c.lastError);
    EdxGdipException e(c.status);
    EXPECT_EQ(e.Message(), c.message);
    EXPECT_EQ(e.Status(), c.status);
    EXPECT_STREQ(e.ClassName(), "EdxGdipException");
  }
  win::SetLastError(0);
  EXPECT_NO_THROW(GdipCheck(gdiplus::Ok));
  EXPECT_THROW(GdipCheck(gdiplus::WrongState), EdxGdipException);
  EXPECT_THROW(GdipCheck(gdiplus::WrongState), EdxException);
}

TEST_F(GpBinding, CodecIdentifierIsValidByItsFirstThreeParts) {
  struct Case {
    CLSID id;
    bool valid;
  };
  const Case cases[] = {
      {{0, 0, 0, {}}, false},
      {{0, 0, 0, {1, 2, 3, 4, 5, 6, 7, 8}}, false},  // the last eight bytes do not count
      {{1, 0, 0, {}}, true},
      {{0, 1, 0, {}}, true},
      {{0, 0, 1, {}}, true},
  };
  for (const Case& c : cases) EXPECT_EQ(IsCodecIDValid(c.id), c.valid);
}

TEST_F(GpBinding, FontThatIsNoOutlineFontFallsBackToTahoma) {
  struct Case {
    const char16_t* face;
    const char16_t* family;
  };
  const Case cases[] = {{u"MS Sans Serif", u"Tahoma"}, {u"Arial", u"Arial"}, {u"Tahoma", u"Tahoma"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(rtl::StringToUtf8(c.face));
    gdi::LOGFONTW lf{};
    lf.lfHeight = -11;
    std::u16string_view face(c.face);
    std::copy(face.begin(), face.end(), lf.lfFaceName);
    gdiplus::GpFont* font = dxGpCreateFont(lf);
    ASSERT_NE(font, nullptr);
    gdiplus::GpFontFamily* family = nullptr;
    ASSERT_EQ(gdiplus::GdipGetFamily(font, &family), gdiplus::Ok);
    char16_t name[gdi::LF_FACESIZE] = {};
    gdiplus::GdipGetFamilyName(family, name, 0);
    EXPECT_EQ(std::u16string(name), c.family);
    gdiplus::GdipDeleteFontFamily(family);
    gdiplus::GdipDeleteFont(font);
  }
}

TEST_F(GpBinding, EmptyBitmapIsPremultipliedOfTheRectanglesSize) {
  gdiplus::GpBitmap* bitmap = dxGpCreateBitmap(gdi::RECT{5, 7, 25, 17});
  gdiplus::PixelFormat format = 0;
  gdiplus::UINT w = 0, h = 0;
  gdiplus::GdipGetImagePixelFormat(bitmap, &format);
  gdiplus::GdipGetImageWidth(bitmap, &w);
  gdiplus::GdipGetImageHeight(bitmap, &h);
  EXPECT_EQ(format, 0xE200B);
  EXPECT_EQ(w, 20u);
  EXPECT_EQ(h, 10u);
  gdiplus::GdipDisposeImage(bitmap);
  EXPECT_THROW(dxGpCreateBitmap(0, 10), EdxGdipException);
}

}  // namespace
