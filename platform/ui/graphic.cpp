#include "platform/ui/graphic.h"

#include <algorithm>
#include <mutex>

#include "platform/gdiplus/codecs/codecs.h"
#include "platform/rtl/filer.h"
#include "platform/rtl/ustring.h"
#include "platform/ui/bitmap.h"
#include "platform/ui/images.h"

namespace ui {

// ---- TGraphic -----------------------------------------------------------------------------

void TGraphic::SetSize(int width, int height) {
  SetWidth(width);
  SetHeight(height);
}

void TGraphic::SetTransparent(bool value) {
  if (value == transparent_) return;
  transparent_ = value;
  Changed(this);
}

void TGraphic::SetModified(bool value) {
  if (value)
    Changed(this);
  else
    modified_ = false;
}

void TGraphic::Changed(rtl::TObject*) {
  modified_ = true;
  if (onChange_) onChange_(this);
}

void TGraphic::Changing(rtl::TObject*) {
  if (onChanging_) onChanging_(this);
}

void TGraphic::ReadData(rtl::TStream* stream) { LoadFromStream(stream); }
void TGraphic::WriteData(rtl::TStream* stream) { SaveToStream(stream); }

void TGraphic::DefineProperties(rtl::TFiler* filer) {
  TInterfacedPersistent::DefineProperties(filer);
  filer->DefineBinaryProperty(
      u"Data", [this](rtl::TStream* s) { ReadData(s); }, [this](rtl::TStream* s) { WriteData(s); },
      !Empty());
}

void TGraphic::LoadFromFile(const String& fileName) {
  rtl::TFileStream stream(fileName, rtl::fmOpenRead | rtl::fmShareDenyWrite);
  LoadFromStream(&stream);
}

void TGraphic::SaveToFile(const String& fileName) {
  rtl::TFileStream stream(fileName, rtl::fmCreate);
  SaveToStream(&stream);
}

// ---- the file-format registry ------------------------------------------------------------

namespace {

String lowerExtension(const String& extension) {
  String ext = extension;
  if (!ext.empty() && ext.front() == u'.') ext.erase(0, 1);
  for (auto& c : ext)
    if (c >= u'A' && c <= u'Z') c = char16_t(c + 32);
  return ext;
}

struct FormatRegistry {
  std::mutex lock;
  std::vector<TFileFormat> formats;  // later entries win

  FormatRegistry() {
    formats = {
        {u"bmp", u"Bitmaps", TGraphicClass::of<TBitmap>()},
        {u"ico", u"Icons", TGraphicClass::of<TIcon>()},
        {u"png", u"Portable Network Graphics", TGraphicClass::of<TPngImage>()},
        {u"jpeg", u"JPEG Image File", TGraphicClass::of<TJPEGImage>()},
        {u"jpg", u"JPEG Image File", TGraphicClass::of<TJPEGImage>()},
        {u"jpe", u"JPEG Image File", TGraphicClass::of<TJPEGImage>()},
        {u"jfif", u"JPEG Image File", TGraphicClass::of<TJPEGImage>()},
    };
  }
};

FormatRegistry& registry() {
  static FormatRegistry r;
  return r;
}

// The extension that stands for a format found by its first bytes.
const char16_t* extensionOfFormat(gdiplus::codecs::FileFormat format) {
  using gdiplus::codecs::FileFormat;
  switch (format) {
    case FileFormat::Bmp: return u"bmp";
    case FileFormat::Ico: return u"ico";
    case FileFormat::Png: return u"png";
    case FileFormat::Jpeg: return u"jpg";
    case FileFormat::Gif: return u"gif";
    case FileFormat::Tiff: return u"tif";
    default: return nullptr;
  }
}

}  // namespace

void TPicture::RegisterFileFormat(const String& extension, const String& description,
                                  TGraphicClass graphicClass) {
  if (!graphicClass) return;
  FormatRegistry& r = registry();
  std::lock_guard guard(r.lock);
  r.formats.push_back({lowerExtension(extension), description, graphicClass});
}

void TPicture::UnregisterGraphicClass(TGraphicClass graphicClass) {
  FormatRegistry& r = registry();
  std::lock_guard guard(r.lock);
  std::erase_if(r.formats, [&](const TFileFormat& f) { return f.GraphicClass->InheritsFrom(graphicClass.get()); });
}

std::vector<TFileFormat> TPicture::FileFormats() {
  FormatRegistry& r = registry();
  std::lock_guard guard(r.lock);
  return r.formats;
}

TGraphicClass TPicture::GraphicClassOfExtension(const String& extension) {
  const String ext = lowerExtension(extension);
  FormatRegistry& r = registry();
  std::lock_guard guard(r.lock);
  for (auto it = r.formats.rbegin(); it != r.formats.rend(); ++it)
    if (it->Extension == ext) return it->GraphicClass;
  return nullptr;
}

TGraphicClass TPicture::GraphicClassOfData(const std::uint8_t* data, std::size_t size) {
  const char16_t* ext = extensionOfFormat(gdiplus::codecs::detectFormat({data, size}));
  return ext ? GraphicClassOfExtension(ext) : nullptr;
}

// ---- TPicture --------------------------------------------------------------------------------

TPicture::TPicture() = default;

TPicture::~TPicture() = default;

void TPicture::Changed(rtl::TObject*) {
  if (onChange_) onChange_(this);
}

void TPicture::adopt(TGraphic* graphic) {
  OwnedObject<TGraphic> owned(graphic);
  if (owned) owned->SetOnChange(TNotifyEvent::bind<&TPicture::Changed>(this));
  graphic_ = std::move(owned);
  Changed(this);
}

void TPicture::SetGraphic(TGraphic* value) {
  if (value == graphic_.get()) return;
  if (!value) {
    adopt(nullptr);
    return;
  }
  OwnedObject<TGraphic> copy(static_cast<TGraphic*>(value->ClassType()->Create()));
  copy->Assign(value);
  adopt(copy.release());
}

TBitmap* TPicture::Bitmap() {
  if (!graphic_ || !graphic_->Is<TBitmap>()) adopt(rtl::Create<TBitmap>());
  return static_cast<TBitmap*>(graphic_.get());
}

void TPicture::SetBitmap(TBitmap* value) { SetGraphic(value); }

int TPicture::Width() const { return graphic_ ? graphic_->Width() : 0; }
int TPicture::Height() const { return graphic_ ? graphic_->Height() : 0; }

void TPicture::LoadFromStream(rtl::TStream* stream) {
  rtl::TBytesStream data(rtl::ReadAllBytes(*stream));
  const rtl::TBytes& bytes = data.Bytes();
  TGraphicClass cls = GraphicClassOfData(bytes.data(), std::size_t(data.Size()));
  if (!cls) throw EInvalidGraphic(u"Unsupported stream format");
  OwnedObject<TGraphic> graphic(cls.Create());
  graphic->LoadFromStream(&data);
  adopt(graphic.release());
}

void TPicture::LoadFromFile(const String& fileName) {
  rtl::TFileStream file(fileName, rtl::fmOpenRead | rtl::fmShareDenyWrite);
  rtl::TBytesStream data(rtl::ReadAllBytes(file));
  // The contents decide; the extension serves formats the bytes do not
  // reveal.
  TGraphicClass cls = GraphicClassOfData(data.Bytes().data(), std::size_t(data.Size()));
  const std::size_t dot = fileName.find_last_of(u'.');
  const std::size_t slash = fileName.find_last_of(u'/');
  const String ext = dot == String::npos || (slash != String::npos && dot < slash) ? String() : fileName.substr(dot + 1);
  if (!cls) cls = GraphicClassOfExtension(ext);
  if (!cls) throw EInvalidGraphic(u"Unknown picture file extension (." + ext + u")");
  OwnedObject<TGraphic> graphic(cls.Create());
  graphic->LoadFromStream(&data);
  adopt(graphic.release());
}

void TPicture::SaveToStream(rtl::TStream* stream) {
  if (graphic_) graphic_->SaveToStream(stream);
}

void TPicture::SaveToFile(const String& fileName) {
  if (graphic_) graphic_->SaveToFile(fileName);
}

void TPicture::Assign(rtl::TPersistent* source) {
  if (!source) {
    SetGraphic(nullptr);
  } else if (auto* p = dynamic_cast<TPicture*>(source)) {
    if (p != this) SetGraphic(p->Graphic());
  } else if (auto* g = dynamic_cast<TGraphic*>(source)) {
    SetGraphic(g);
  } else {
    TInterfacedPersistent::Assign(source);
  }
}

void TPicture::AssignTo(rtl::TPersistent* dest) {
  if (graphic_ && dynamic_cast<TGraphic*>(dest)) {
    dest->Assign(graphic_.get());
    return;
  }
  TInterfacedPersistent::AssignTo(dest);
}

}  // namespace ui
