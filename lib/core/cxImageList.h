#pragma once
// The library's image list: a platform image list of 32-bit images that
// also keeps every image as an image and mask bitmap pair in an owned
// collection. The collection is what forms store ("ImageInfo", marked by
// "FormatVersion" = 1) and what survives colour and alpha round trips; the
// platform list is rebuilt from it after loading.
#include <cstdint>
#include <memory>

#include "lib/core/cxGeometry.h"
#include "lib/core/cxGraphicsBitmaps.h"
#include "platform/rtl/classes.h"
#include "platform/rtl/set.h"
#include "platform/rtl/types.h"
#include "platform/ui/bitmap.h"
#include "platform/ui/colors.h"
#include "platform/ui/image_list.h"

namespace ui {
class TCanvas;
class TPicture;
class TGraphic;
}  // namespace ui

namespace core {

class TcxImageList;

// Options of loading images from a bitmap resource. Our resources are BMP
// files, so only the mask colour decides anything; the options are accepted
// for callers written against the platform.
enum class TLoadResource { lrDefaultColor, lrDefaultSize, lrFromFile, lrMap3DColors, lrTransparent, lrMonoChrome };
using TLoadResources = rtl::Set<TLoadResource, 6>;

// The resource type our bitmap resources are registered under (a BMP file).
inline constexpr char16_t kBitmapResourceType[] = u"BITMAP";

class TcxImageInfo : public rtl::TPersistent {
  RTL_CLASS(TcxImageInfo, rtl::TPersistent)

 public:
  TcxImageInfo();
  ~TcxImageInfo() override;
  void Assign(rtl::TPersistent* source) override;
  // Kept for callers written against the platform; our bitmaps hold no
  // system handles to release.
  void Dormant() {}

  TcxBitmap* Image() const { return FImage.get(); }
  TcxBitmap* Mask() const { return FMask.get(); }
  virtual void SetImage(ui::TBitmap* value);
  virtual void SetMask(ui::TBitmap* value);
  ui::TColor MaskColor() const { return FMaskColor; }
  void SetMaskColor(ui::TColor value) { FMaskColor = value; }
  TcxBitmap* InternalMask() const { return FInternalMask.get(); }

 private:
  std::unique_ptr<TcxBitmap> FImage;
  std::unique_ptr<TcxBitmap> FMask;
  ui::TColor FMaskColor = ui::clNone;
  std::unique_ptr<TcxBitmap> FInternalMask;
};

class TcxImageInfoItem : public rtl::TCollectionItem {
  RTL_CLASS(TcxImageInfoItem, rtl::TCollectionItem)

 public:
  explicit TcxImageInfoItem(rtl::TCollection* collection);
  TcxImageInfoItem(rtl::TCollection* collection, ui::TBitmap* image, ui::TBitmap* mask, ui::TColor maskColor);
  ~TcxImageInfoItem() override;
  void Assign(rtl::TPersistent* source) override;

  TcxImageInfo* ImageInfo() const { return FImageInfo.get(); }
  TcxBitmap* Image() const { return FImageInfo->Image(); }
  void SetImage(TcxBitmap* value) { FImageInfo->SetImage(value); }
  TcxBitmap* Mask() const { return FImageInfo->Mask(); }
  void SetMask(TcxBitmap* value) { FImageInfo->SetMask(value); }
  int MaskColor() const { return FImageInfo->MaskColor(); }
  void SetMaskColor(int value) { FImageInfo->SetMaskColor(value); }
  bool CompressData() const;
  void SetCompressData(bool value);
  bool IsMaskColorStored() const { return MaskColor() != ui::clNone; }

  static void Published(rtl::PropTable<TcxImageInfoItem>& p);

 private:
  std::unique_ptr<TcxImageInfo> FImageInfo;
};

class TcxImageInfoCollection : public rtl::TCollection {
  RTL_CLASS(TcxImageInfoCollection, rtl::TCollection)

 public:
  explicit TcxImageInfoCollection(TcxImageList* imageList);
  TcxImageInfoItem* Add(ui::TBitmap* image, ui::TBitmap* mask, ui::TColor maskColor);
  TcxImageInfoItem* Items(int index) const { return static_cast<TcxImageInfoItem*>(rtl::TCollection::Items(index)); }
  void Move(int currentIndex, int newIndex);
  // -1 clears.
  void Delete(int index);
  bool CompressData() const { return FCompressData; }
  void SetCompressData(bool value);
  rtl::TPersistent* GetOwner() const override;

 private:
  bool FCompressData = false;
  TcxImageList* FImageList;
};

class TcxImageList : public ui::TDragImageList {
  RTL_CLASS(TcxImageList, ui::TDragImageList)

 public:
  explicit TcxImageList(rtl::TComponent* owner);
  TcxImageList(int width, int height);
  ~TcxImageList() override;

  void BeginUpdate() { ++FLockCount; }
  void EndUpdate();
  void CancelUpdate() { --FLockCount; }
  bool ChangeLocked() const { return FLockCount > 0; }

  int Add(ui::TBitmap* image, ui::TBitmap* mask);
  int AddMasked(ui::TBitmap* image, ui::TColor maskColor);
  void Insert(int index, ui::TBitmap* image, ui::TBitmap* mask);
  void Replace(int index, ui::TBitmap* image, ui::TBitmap* mask);
  void Move(int currentIndex, int newIndex);
  void Delete(int index);
  void Clear() { Delete(-1); }
  void SetSize(int width, int height) override;
  void Assign(rtl::TPersistent* source) override;
  int AddImageInfo(TcxImageInfo* imageInfo);
  void CopyImages(ui::TCustomImageList* images, int startIndex = 0, int endIndex = -1);
  void AddImages(ui::TCustomImageList* images);
  // Adds the images of the bitmap resource `resourceName` (type
  // kBitmapResourceType), cut into images `width` wide (0: the list's
  // width) as tall as the bitmap. The mask is made from `maskColor`:
  // clNone keeps every pixel, clDefault takes the bottom-left pixel's
  // colour. False, with the list untouched, when the resource is missing or
  // its bytes are no bitmap. `instance` is accepted for callers written
  // against the platform: our resources are compiled into the program.
  bool LoadImage(std::uintptr_t instance, rtl::StringView resourceName, ui::TColor maskColor = ui::clDefault,
                 int width = 0, TLoadResources flags = {});
  // -1: the whole strip.
  void GetImageInfo(int index, ui::TBitmap* image, ui::TBitmap* mask);
  static void GetImageInfo(ui::TCustomImageList* images, int index, ui::TBitmap* image, ui::TBitmap* mask);

  void Draw(ui::TCanvas* canvas, const TRect& rect, int index, bool stretch = true, bool smoothResize = false,
            bool enabled = true);
  void DoDrawEx(int index, ui::TCanvas* canvas, const TRect& rect, unsigned style, bool stretch,
                bool smoothResize, bool enabled);

  bool AlphaBlending() const { return FAlphaBlending; }
  int FormatVersion() const { return FFormatVersion; }
  TcxImageInfoCollection* ImageInfo() const { return FImageInfo.get(); }
  bool CompressData() const { return FImageInfo->CompressData(); }
  void SetCompressData(bool value) { FImageInfo->SetCompressData(value); }
  // How many list images a bitmap gives: the tiles when it divides evenly
  // into list-sized ones, else 1.
  int GetImageCount(ui::TBitmap* image) const;

 protected:
  void Change() override;
  void DoDraw(int index, ui::TCanvas* canvas, int x, int y, unsigned style, bool enabled) override;
  void DefineProperties(rtl::TFiler* filer) override;
  virtual void Initialize();
  void Finalize();

 private:
  void AddToInternalCollection(ui::TBitmap* image, ui::TBitmap* mask, ui::TColor maskColor);
  void SynchronizeImageInfo();
  void SynchronizeHandle();
  void ReadImageInfo(rtl::TReader* reader);
  void WriteImageInfo(rtl::TWriter* writer);
  bool ImageInfoStored(rtl::TFiler* filer);

  bool FAlphaBlending = false;
  int FFormatVersion = 0;
  std::unique_ptr<TcxImageInfoCollection> FImageInfo;
  int FLockCount = 0;
  bool FSynchronization = false;
};

// Equal counts, and both empty or the written forms byte-equal.
bool IsImageListsEqual(ui::TCustomImageList* images1, ui::TCustomImageList* images2);
void cxTransformImages(TcxImageList* sourceImageList, TcxImageList* destinationImageList, ui::TColor bkColor,
                       bool enabled = true);
void cxTransformImages(TcxImageList* imageList, ui::TColor bkColor, bool enabled = true);
void cxSetImageList(ui::TCustomImageList* value, ui::TCustomImageList*& fieldValue, ui::TChangeLink* changeLink,
                    rtl::TComponent* notifyComponent);
bool IsImageAssigned(ui::TCustomImageList* imageList, int imageIndex);
bool IsGlyphAssigned(ui::TBitmap* glyph);
TSize dxGetImageSize(ui::TBitmap* image, ui::TCustomImageList* images, int imageIndex);

}  // namespace core
