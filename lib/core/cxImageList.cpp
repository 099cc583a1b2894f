#include "lib/core/cxImageList.h"

#include <algorithm>
#include <cstring>

#include "lib/core/cxImageDraw.h"
#include "platform/rtl/except.h"
#include "platform/rtl/filer.h"
#include "platform/rtl/resources.h"
#include "platform/rtl/streams.h"
#include "platform/ui/canvas.h"
#include "platform/ui/graphics.h"

namespace core {

namespace {

using ui::TBitmap;
using ui::TPixelFormat;

bool isEmpty(const TBitmap* b) { return !b || b->Empty(); }

void copyBitmap(TBitmap* dest, TBitmap* source) {
  if (!dest) return;
  if (isEmpty(source))
    dest->SetSize(0, 0);
  else
    dest->Assign(source);
}

gdi::ImageBGRA cut(const gdi::ImageBGRA& src, int x0, int y0, int w, int h) {
  gdi::ImageBGRA tile(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) tile.at(x, y) = src.at(x0 + x, y0 + y);
  return tile;
}

std::unique_ptr<TcxBitmap> tileOf(TBitmap* source, const gdi::ImageBGRA& pixels, int x, int y, int w, int h) {
  const TPixelFormat format = source->PixelFormat();
  auto tile = std::make_unique<TcxBitmap>(w, h, TPixelFormat::pf32bit);
  tile->AssignImage(cut(pixels, x, y, w, h), format == TPixelFormat::pf32bit);
  if (format != TPixelFormat::pf32bit) tile->SetPixelFormat(format);
  return tile;
}

std::vector<std::uint8_t> writtenForm(ui::TCustomImageList* list) {
  rtl::TMemoryStream stream;
  list->WriteData(&stream);
  const auto* p = static_cast<const std::uint8_t*>(stream.Memory());
  return std::vector<std::uint8_t>(p, p + stream.Size());
}

}  // namespace

// --- TcxImageInfo ------------------------------------------------------------------------------

TcxImageInfo::TcxImageInfo()
    : FImage(std::make_unique<TcxBitmap>()),
      FMask(std::make_unique<TcxBitmap>()),
      FInternalMask(std::make_unique<TcxBitmap>()) {}

TcxImageInfo::~TcxImageInfo() = default;

void TcxImageInfo::Assign(rtl::TPersistent* source) {
  if (auto* info = dynamic_cast<TcxImageInfo*>(source)) {
    SetImage(info->Image());
    SetMask(info->Mask());
    FMaskColor = info->MaskColor();
    return;
  }
  rtl::TPersistent::Assign(source);
}

void TcxImageInfo::SetImage(TBitmap* value) { copyBitmap(FImage.get(), value); }
void TcxImageInfo::SetMask(TBitmap* value) { copyBitmap(FMask.get(), value); }

// --- TcxImageInfoItem --------------------------------------------------------------------------

TcxImageInfoItem::TcxImageInfoItem(rtl::TCollection* collection)
    : rtl::TCollectionItem(collection), FImageInfo(std::make_unique<TcxImageInfo>()) {
  if (auto* c = dynamic_cast<TcxImageInfoCollection*>(collection)) SetCompressData(c->CompressData());
}

TcxImageInfoItem::TcxImageInfoItem(rtl::TCollection* collection, TBitmap* image, TBitmap* mask,
                                   ui::TColor maskColor)
    : TcxImageInfoItem(collection) {
  FImageInfo->SetImage(image);
  FImageInfo->SetMask(mask);
  FImageInfo->SetMaskColor(maskColor);
}

TcxImageInfoItem::~TcxImageInfoItem() = default;

void TcxImageInfoItem::Assign(rtl::TPersistent* source) {
  if (auto* item = dynamic_cast<TcxImageInfoItem*>(source)) {
    FImageInfo->Assign(item->ImageInfo());
    return;
  }
  rtl::TCollectionItem::Assign(source);
}

bool TcxImageInfoItem::CompressData() const { return Image()->CompressData() && Mask()->CompressData(); }

void TcxImageInfoItem::SetCompressData(bool value) {
  Image()->SetCompressData(value);
  Mask()->SetCompressData(value);
}

void TcxImageInfoItem::Published(rtl::PropTable<TcxImageInfoItem>& p) {
  p.Object("Image", &TcxImageInfoItem::Image, &TcxImageInfoItem::SetImage);
  p.Object("Mask", &TcxImageInfoItem::Mask, &TcxImageInfoItem::SetMask);
  p.Int("MaskColor", &TcxImageInfoItem::MaskColor, &TcxImageInfoItem::SetMaskColor).Default(int(ui::clNone));
}

// --- TcxImageInfoCollection --------------------------------------------------------------------

TcxImageInfoCollection::TcxImageInfoCollection(TcxImageList* imageList)
    : rtl::TCollection(rtl::ClassRef<rtl::TCollectionItem>::of<TcxImageInfoItem>()), FImageList(imageList) {}

TcxImageInfoItem* TcxImageInfoCollection::Add(TBitmap* image, TBitmap* mask, ui::TColor maskColor) {
  return new TcxImageInfoItem(this, image, mask, maskColor);  // owned by the collection
}

void TcxImageInfoCollection::Move(int currentIndex, int newIndex) { Items(currentIndex)->SetIndex(newIndex); }

void TcxImageInfoCollection::Delete(int index) {
  if (index == -1)
    Clear();
  else
    rtl::TCollection::Delete(index);
}

void TcxImageInfoCollection::SetCompressData(bool value) {
  FCompressData = value;
  for (int i = 0; i < Count(); ++i) Items(i)->SetCompressData(value);
}

rtl::TPersistent* TcxImageInfoCollection::GetOwner() const { return FImageList; }

// --- TcxImageList ------------------------------------------------------------------------------

TcxImageList::TcxImageList(rtl::TComponent* owner) : ui::TDragImageList(owner) { Initialize(); }

TcxImageList::TcxImageList(int width, int height) : ui::TDragImageList(width, height) { Initialize(); }

TcxImageList::~TcxImageList() { Finalize(); }

void TcxImageList::Initialize() {
  FImageInfo = std::make_unique<TcxImageInfoCollection>(this);
  FAlphaBlending = true;
  ++FLockCount;  // no notification for the depth
  SetColorDepth(ui::TColorDepth::cd32Bit);
  --FLockCount;
}

void TcxImageList::Finalize() { FImageInfo.reset(); }

void TcxImageList::EndUpdate() {
  if (--FLockCount == 0) Change();
}

int TcxImageList::GetImageCount(TBitmap* image) const {
  if (isEmpty(image) || image->Width() % Width() != 0 || image->Height() % Height() != 0) return 1;
  return (image->Width() / Width()) * (image->Height() / Height());
}

int TcxImageList::Add(TBitmap* image, TBitmap* mask) {
  ++FLockCount;
  const int result = ui::TDragImageList::Add(image, mask);
  --FLockCount;
  if (result != -1 && !FSynchronization) AddToInternalCollection(image, mask, ui::clNone);
  Change();
  return result;
}

int TcxImageList::AddMasked(TBitmap* image, ui::TColor maskColor) {
  if (maskColor == ui::clNone) return Add(image, nullptr);
  ++FLockCount;
  int result = -1;
  if (!isEmpty(image)) {
    TBitmap clone;
    clone.Assign(image);
    result = ui::TDragImageList::AddMasked(&clone, maskColor);
  }
  --FLockCount;
  if (result >= Count()) result = -1;
  if (result != -1 && !FSynchronization) AddToInternalCollection(image, nullptr, maskColor);
  Change();
  return result;
}

void TcxImageList::AddToInternalCollection(TBitmap* image, TBitmap* mask, ui::TColor maskColor) {
  const int w = image->Width(), h = image->Height();
  if (w % Width() == 0 && h % Height() == 0 && (w > Width() || h > Height())) {
    const gdi::ImageBGRA pixels = image->ToImage();
    const gdi::ImageBGRA maskPixels = isEmpty(mask) ? gdi::ImageBGRA() : mask->ToImage();
    for (int y = 0; y + Height() <= h; y += Height()) {
      for (int x = 0; x + Width() <= w; x += Width()) {
        auto tile = tileOf(image, pixels, x, y, Width(), Height());
        std::unique_ptr<TcxBitmap> maskTile;
        if (!isEmpty(mask) && maskPixels.width >= x + Width() && maskPixels.height >= y + Height())
          maskTile = tileOf(mask, maskPixels, x, y, Width(), Height());
        FImageInfo->Add(tile.get(), maskTile.get(), maskColor);
      }
    }
  } else {
    FImageInfo->Add(image, mask, maskColor);
  }
}

void TcxImageList::Insert(int index, TBitmap* image, TBitmap* mask) {
  if (index < 0 || index > Count()) return;
  BeginUpdate();
  const int before = Count();
  if (Add(image, mask) != -1) {
    const int added = std::min(GetImageCount(image), Count() - before);
    for (int i = 0; i < added; ++i) Move(before + i, index + i);
  }
  EndUpdate();
}

void TcxImageList::Replace(int index, TBitmap* image, TBitmap* mask) {
  BeginUpdate();
  Delete(index);
  Insert(index, image, mask);
  EndUpdate();
}

void TcxImageList::Move(int currentIndex, int newIndex) {
  if (currentIndex == newIndex || currentIndex < 0 || newIndex < 0 || currentIndex >= Count() ||
      newIndex >= Count())
    return;
  BeginUpdate();
  ui::TDragImageList::Move(currentIndex, newIndex);
  if (!FSynchronization && currentIndex < FImageInfo->Count() && newIndex < FImageInfo->Count())
    FImageInfo->Move(currentIndex, newIndex);
  EndUpdate();
}

void TcxImageList::Delete(int index) {
  if (index < -1 || index >= Count()) return;
  BeginUpdate();
  ui::TDragImageList::Delete(index);
  if (!FSynchronization && index < FImageInfo->Count()) FImageInfo->Delete(index);
  EndUpdate();
}

void TcxImageList::SetSize(int width, int height) {
  width = std::max(width, 1);
  height = std::max(height, 1);
  if (width == Width() && height == Height()) return;
  BeginUpdate();
  Clear();
  ui::TDragImageList::SetSize(width, height);
  EndUpdate();
}

void TcxImageList::Assign(rtl::TPersistent* source) {
  auto* list = dynamic_cast<ui::TCustomImageList*>(source);
  if (!list) {
    ui::TDragImageList::Assign(source);
    return;
  }
  BeginUpdate();
  ui::TDragImageList::Assign(source);
  Clear();
  if (auto* cx = dynamic_cast<TcxImageList*>(list)) {
    for (int i = 0; i < cx->ImageInfo()->Count(); ++i) AddImageInfo(cx->ImageInfo()->Items(i)->ImageInfo());
  } else {
    for (int i = 0; i < list->Count(); ++i) {
      TcxBitmap image(Width(), Height(), TPixelFormat::pf32bit), mask(Width(), Height(), TPixelFormat::pf1bit);
      GetImageInfo(list, i, &image, &mask);
      Add(&image, &mask);
    }
  }
  EndUpdate();
}

int TcxImageList::AddImageInfo(TcxImageInfo* imageInfo) {
  if (!isEmpty(imageInfo->Mask())) return Add(imageInfo->Image(), imageInfo->Mask());
  return AddMasked(imageInfo->Image(), imageInfo->MaskColor());
}

void TcxImageList::CopyImages(ui::TCustomImageList* images, int startIndex, int endIndex) {
  if (!images) return;
  std::unique_ptr<TcxImageList> temporary;
  auto* source = dynamic_cast<TcxImageList*>(images);
  if (!source) {
    temporary = std::make_unique<TcxImageList>(images->Width(), images->Height());
    temporary->Assign(images);
    source = temporary.get();
  }
  const int last = source->ImageInfo()->Count() - 1;
  endIndex = endIndex < 0 ? last : std::min(endIndex, last);
  BeginUpdate();
  for (int i = std::max(startIndex, 0); i <= endIndex; ++i) AddImageInfo(source->ImageInfo()->Items(i)->ImageInfo());
  EndUpdate();
}

void TcxImageList::AddImages(ui::TCustomImageList* images) {
  if (images) CopyImages(images);
}

namespace {

// The bitmap of a resource, or nullptr when it is missing, empty or not a
// bitmap (the BMP reader checks the bytes; it raises, we answer false).
std::unique_ptr<TBitmap> bitmapResource(rtl::StringView name) {
  const rtl::TResourceEntry* entry = rtl::FindResource(rtl::StringView(kBitmapResourceType), name);
  if (!entry) return nullptr;
  auto bitmap = std::make_unique<TBitmap>();
  try {
    rtl::TPointerStream stream(entry->Data, static_cast<rtl::Int64>(entry->Size));
    bitmap->LoadFromStream(&stream);
  } catch (const rtl::Exception&) {
    return nullptr;
  }
  if (bitmap->Empty()) return nullptr;
  return bitmap;
}

// clDefault stands for the colour of the bottom-left pixel, the one a
// transparent bitmap drops; system colours become their current value.
ui::TColor resolvedMaskColor(ui::TColor maskColor, TBitmap* bitmap) {
  if (maskColor == ui::clNone) return ui::clNone;
  if (maskColor != ui::clDefault) return static_cast<ui::TColor>(ui::ColorToRGB(maskColor));
  const gdi::ImageBGRA pixels = bitmap->ToImage();
  const std::uint32_t p = pixels.at(0, pixels.height - 1);
  return static_cast<ui::TColor>(((p & 0xFFu) << 16) | (p & 0xFF00u) | ((p >> 16) & 0xFFu));
}

}  // namespace

bool TcxImageList::LoadImage(std::uintptr_t /*instance*/, rtl::StringView resourceName, ui::TColor maskColor,
                             int width, TLoadResources /*flags*/) {
  std::unique_ptr<TBitmap> bitmap = bitmapResource(resourceName);
  if (!bitmap) return false;
  // The bitmap goes through a platform list first so that the strip is cut
  // and masked exactly as the platform's own lists do; then its images are
  // copied in as any other list's would be.
  ui::TCustomImageList loaded(width > 0 ? width : Width(), bitmap->Height());
  loaded.SetAllocBy(AllocBy());
  if (loaded.AddMasked(bitmap.get(), resolvedMaskColor(maskColor, bitmap.get())) < 0) return false;
  AddImages(&loaded);
  return true;
}

void TcxImageList::GetImageInfo(int index, TBitmap* image, TBitmap* mask) {
  if (index == -1 || index < 0 || index >= FImageInfo->Count()) {
    GetImageBitmaps(index, image, mask);
    return;
  }
  TcxImageInfo* info = FImageInfo->Items(index)->ImageInfo();
  if (info->Image()->PixelFormat() == TPixelFormat::pf32bit) {
    copyBitmap(image, info->Image());
    if (!isEmpty(info->Mask())) {
      copyBitmap(mask, info->Mask());
    } else if (mask) {
      if (isEmpty(info->InternalMask())) GetImageBitmaps(index, nullptr, info->InternalMask());
      mask->Assign(info->InternalMask());
    }
  } else {
    GetImageBitmaps(index, image, mask);
  }
  info->Dormant();
}

void TcxImageList::GetImageInfo(ui::TCustomImageList* images, int index, TBitmap* image, TBitmap* mask) {
  if (auto* cx = dynamic_cast<TcxImageList*>(images)) {
    cx->GetImageInfo(index, image, mask);
    return;
  }
  if (images && images->GetImageBitmaps(index, image, mask)) return;
  if (mask) {
    // No mask to be had: all black, fully opaque.
    mask->SetSize(0, 0);
    mask->AssignImage(gdi::ImageBGRA(images ? images->Width() : 0, images ? images->Height() : 0, 0xFF000000u),
                      false);
  }
}

void TcxImageList::Draw(ui::TCanvas* canvas, const TRect& rect, int index, bool stretch, bool smoothResize,
                        bool enabled) {
  DoDrawEx(index, canvas, rect, DrawFlags(), stretch, smoothResize, enabled);
}

void TcxImageList::DoDrawEx(int index, ui::TCanvas* canvas, const TRect& rect, unsigned style, bool stretch,
                            bool smoothResize, bool enabled) {
  if (!canvas || index < 0 || index >= Count()) return;
  if (cxRectWidth(rect) == Width() && cxRectHeight(rect) == Height()) stretch = false;
  TRect glyph = rect;
  if (!stretch) glyph = cxRectCenter(rect, Width(), Height());
  if (!FAlphaBlending) {
    DrawWithFlags(canvas->Handle(), glyph.left, glyph.top, index, style, enabled);
    return;
  }
  cxDrawImage(canvas->Handle(), glyph, rect, nullptr, this, index,
              enabled ? TcxImageDrawMode::idmNormal : TcxImageDrawMode::idmDisabled, smoothResize, nullptr,
              ui::clNone, true);
}

void TcxImageList::DoDraw(int index, ui::TCanvas* canvas, int x, int y, unsigned style, bool enabled) {
  DoDrawEx(index, canvas, TRect{x, y, x + Width(), y + Height()}, style, false, false, enabled);
}

void TcxImageList::Change() {
  using S = rtl::TComponentStateItem;
  if (ChangeLocked() || !FImageInfo) return;
  const auto state = ComponentState();
  if (state.contains(S::csLoading) || state.contains(S::csReading) || state.contains(S::csDestroying)) return;
  // The system list is derived data; a count that differs means images came
  // in around the collection (a strip taller than one row, a platform
  // assignment), so the collection is read back from the list.
  if (FImageInfo->Count() != Count()) SynchronizeImageInfo();
  ui::TDragImageList::Change();
}

void TcxImageList::SynchronizeImageInfo() {
  FImageInfo->BeginUpdate();
  FImageInfo->Clear();
  for (int i = 0; i < Count(); ++i) {
    TcxBitmap image(Width(), Height(), TPixelFormat::pf32bit), mask(Width(), Height(), TPixelFormat::pf1bit);
    GetImageBitmaps(i, &image, &mask);
    FImageInfo->Add(&image, &mask, ui::clNone);
  }
  FImageInfo->EndUpdate();
}

void TcxImageList::SynchronizeHandle() {
  FSynchronization = true;
  ++FLockCount;
  ui::TDragImageList::Delete(-1);
  for (int i = 0; i < FImageInfo->Count();) {
    if (AddImageInfo(FImageInfo->Items(i)->ImageInfo()) == -1)
      FImageInfo->Delete(i);
    else
      FImageInfo->Items(i++)->ImageInfo()->Dormant();
  }
  --FLockCount;
  FSynchronization = false;
}

void TcxImageList::ReadImageInfo(rtl::TReader* reader) {
  FImageInfo->Clear();
  reader->ReadCollection(FImageInfo.get());
  SynchronizeHandle();
}

void TcxImageList::WriteImageInfo(rtl::TWriter* writer) { writer->WriteCollection(FImageInfo.get()); }

bool TcxImageList::ImageInfoStored(rtl::TFiler* filer) {
  auto* ancestor = dynamic_cast<ui::TCustomImageList*>(filer->Ancestor());
  if (!ancestor) return Count() > 0;
  return !IsImageListsEqual(this, ancestor);
}

void TcxImageList::DefineProperties(rtl::TFiler* filer) {
  rtl::TComponent::DefineProperties(filer);
  filer->DefineProperty(
      u"FormatVersion", [this](rtl::TReader* r) { FFormatVersion = r->ReadInteger(); },
      [this](rtl::TWriter* w) {
        FFormatVersion = 1;
        w->WriteInteger(1);
      },
      true);
  if (FFormatVersion == 0 && ComponentState().contains(rtl::TComponentStateItem::csReading)) {
    // An older stream: the platform list's own data, then the collection
    // is read back from it.
    filer->DefineBinaryProperty(
        u"Bitmap",
        [this](rtl::TStream* s) {
          ReadData(s);
          SynchronizeImageInfo();
        },
        nullptr, false);
  }
  auto* ancestor = dynamic_cast<ui::TCustomImageList*>(filer->Ancestor());
  filer->DefineProperty(
      u"DesignInfo", [this](rtl::TReader* r) { SetDesignInfo(r->ReadInteger()); },
      [this](rtl::TWriter* w) { w->WriteInteger(DesignInfo()); },
      !ancestor || ancestor->DesignInfo() != DesignInfo());
  filer->DefineProperty(
      u"ImageInfo", [this](rtl::TReader* r) { ReadImageInfo(r); }, [this](rtl::TWriter* w) { WriteImageInfo(w); },
      ImageInfoStored(filer));
}

// --- free routines -----------------------------------------------------------------------------

bool IsImageListsEqual(ui::TCustomImageList* images1, ui::TCustomImageList* images2) {
  if (!images1 || !images2) return images1 == images2;
  if (images1->Count() != images2->Count()) return false;
  if (images1->Count() == 0) return true;
  return writtenForm(images1) == writtenForm(images2);
}

void cxTransformImages(TcxImageList* sourceImageList, TcxImageList* destinationImageList, ui::TColor bkColor,
                       bool enabled) {
  destinationImageList->BeginUpdate();
  destinationImageList->Clear();
  const gdi::COLORREF rgb = ui::ColorToRGB(bkColor);
  const std::uint32_t fill = 0xFF000000u | ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
  const int w = sourceImageList->Width(), h = sourceImageList->Height();
  for (int i = 0; i < sourceImageList->Count(); ++i) {
    TcxBitmap back(w, h, TPixelFormat::pf32bit);
    back.AssignImage(gdi::ImageBGRA(w, h, fill), false);
    sourceImageList->Draw(back.Canvas(), TRect{0, 0, w, h}, i, true, false, enabled);
    TcxBitmap opaque(w, h, TPixelFormat::pf24bit);
    opaque.AssignImage(back.ToImage(), false);
    opaque.SetPixelFormat(TPixelFormat::pf24bit);
    destinationImageList->AddMasked(&opaque, bkColor);
  }
  destinationImageList->EndUpdate();
}

void cxTransformImages(TcxImageList* imageList, ui::TColor bkColor, bool enabled) {
  TcxImageList copy(imageList->Width(), imageList->Height());
  copy.Assign(imageList);
  cxTransformImages(&copy, imageList, bkColor, enabled);
}

void cxSetImageList(ui::TCustomImageList* value, ui::TCustomImageList*& fieldValue, ui::TChangeLink* changeLink,
                    rtl::TComponent* notifyComponent) {
  if (value == fieldValue) return;
  if (fieldValue) {
    if (notifyComponent) fieldValue->RemoveFreeNotification(notifyComponent);
    if (changeLink) fieldValue->UnRegisterChanges(changeLink);
  }
  fieldValue = value;
  if (value) {
    if (changeLink) value->RegisterChanges(changeLink);
    if (notifyComponent) value->FreeNotification(notifyComponent);
  }
  if (changeLink) changeLink->Change();
}

bool IsImageAssigned(ui::TCustomImageList* imageList, int imageIndex) {
  return imageList && imageIndex >= 0 && imageIndex < imageList->Count();
}

bool IsGlyphAssigned(TBitmap* glyph) { return !isEmpty(glyph); }

TSize dxGetImageSize(TBitmap* image, ui::TCustomImageList* images, int imageIndex) {
  if (IsGlyphAssigned(image)) return TSize{image->Width(), image->Height()};
  if (IsImageAssigned(images, imageIndex)) return TSize{images->Width(), images->Height()};
  return TSize{0, 0};
}

}  // namespace core
