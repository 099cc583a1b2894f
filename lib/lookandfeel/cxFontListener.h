#pragma once
// The font listener: told that a control's (or a style set's default) font
// changed. Controls keep a list of them; style sets listen to resolve their
// elements' defaults again.
namespace rtl {
class TObject;
}
namespace ui {
class TFont;
}

namespace lookandfeel {

class IcxFontListener {
 public:
  virtual ~IcxFontListener() = default;
  virtual void Changed(rtl::TObject* Sender, ui::TFont* AFont) = 0;
};

}  // namespace lookandfeel
