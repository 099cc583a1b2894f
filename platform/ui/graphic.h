#pragma once
// Pictures: the abstract TGraphic, and TPicture, which holds one graphic of
// any registered class and picks the class of a file or stream by its
// first bytes (or, failing that, by the file's extension).
#include <memory>
#include <vector>

#include "platform/rtl/streams.h"
#include "platform/ui/graphics.h"

namespace ui {

class TCanvas;
class TBitmap;

class TGraphic : public rtl::TInterfacedPersistent {
  RTL_CLASS(TGraphic, rtl::TInterfacedPersistent)

 public:
  virtual bool Empty() const = 0;
  virtual int Width() const = 0;
  virtual void SetWidth(int value) = 0;
  virtual int Height() const = 0;
  virtual void SetHeight(int value) = 0;
  virtual void SetSize(int width, int height);
  virtual bool Transparent() const { return transparent_; }
  virtual void SetTransparent(bool value);
  bool Modified() const { return modified_; }
  void SetModified(bool value);

  // The image from the stream's position to its end, in the class's file
  // format. EInvalidGraphic names what is wrong with bad input; the graphic
  // is unchanged then.
  virtual void LoadFromStream(rtl::TStream* stream) = 0;
  virtual void SaveToStream(rtl::TStream* stream) = 0;
  void LoadFromFile(const String& fileName);
  void SaveToFile(const String& fileName);

  // The "Data" property of form streams. Here the image's own file format
  // to the end of the stream; TBitmap stores a 32-bit length first.
  virtual void ReadData(rtl::TStream* stream);
  virtual void WriteData(rtl::TStream* stream);

  const TNotifyEvent& OnChange() const { return onChange_; }
  void SetOnChange(const TNotifyEvent& value) { onChange_ = value; }
  const TNotifyEvent& OnChanging() const { return onChanging_; }
  void SetOnChanging(const TNotifyEvent& value) { onChanging_ = value; }

 protected:
  friend class TCanvas;
  void DefineProperties(rtl::TFiler* filer) override;
  // Draws into `rect` of the canvas, stretched to it.
  virtual void Draw(TCanvas* canvas, const TRect& rect) = 0;
  virtual void Changed(rtl::TObject* sender);
  virtual void Changing(rtl::TObject* sender);

 private:
  bool transparent_ = false;
  bool modified_ = false;
  TNotifyEvent onChange_;
  TNotifyEvent onChanging_;
};

using TGraphicClass = rtl::ClassRef<TGraphic>;

// Frees a graphic (or any object) the way its class expects.
struct FreeObject {
  void operator()(rtl::TObject* obj) const {
    if (obj) obj->Free();
  }
};
template <class T>
using OwnedObject = std::unique_ptr<T, FreeObject>;

// A registered file format.
struct TFileFormat {
  String Extension;  // lower case, without the dot
  String Description;
  TGraphicClass GraphicClass;
};

class TPicture : public rtl::TInterfacedPersistent {
  RTL_CLASS(TPicture, rtl::TInterfacedPersistent)

 public:
  TPicture();
  ~TPicture() override;

  // The graphic held (may be null). Setting one stores a copy of the same
  // class.
  TGraphic* Graphic() const { return graphic_.get(); }
  void SetGraphic(TGraphic* value);
  // The graphic as a bitmap; a graphic of another class is replaced by an
  // empty bitmap, as on the platform.
  TBitmap* Bitmap();
  void SetBitmap(TBitmap* value);
  int Width() const;
  int Height() const;

  void LoadFromFile(const String& fileName);
  void SaveToFile(const String& fileName);
  void LoadFromStream(rtl::TStream* stream);
  void SaveToStream(rtl::TStream* stream);

  void Assign(rtl::TPersistent* source) override;

  const TNotifyEvent& OnChange() const { return onChange_; }
  void SetOnChange(const TNotifyEvent& value) { onChange_ = value; }

  // The latest registration of an extension wins.
  static void RegisterFileFormat(const String& extension, const String& description,
                                 TGraphicClass graphicClass);
  static void UnregisterGraphicClass(TGraphicClass graphicClass);
  static std::vector<TFileFormat> FileFormats();
  // The class registered for an extension ("png" or ".PNG"); null if none.
  static TGraphicClass GraphicClassOfExtension(const String& extension);
  // The class for data by its first bytes; null if the format is unknown or
  // no class is registered for it.
  static TGraphicClass GraphicClassOfData(const std::uint8_t* data, std::size_t size);

 protected:
  void AssignTo(rtl::TPersistent* dest) override;
  virtual void Changed(rtl::TObject* sender);

 private:
  void adopt(TGraphic* graphic);

  OwnedObject<TGraphic> graphic_;
  TNotifyEvent onChange_;
};

}  // namespace ui
