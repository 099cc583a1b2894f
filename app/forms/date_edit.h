#pragma once
// The date editors of the main window's filter bar (cxDataInicial,
// cxDataFinal): a plain edit holding "dd/mm/yyyy", stood in for the class
// library's date editor until that exists. It takes digits and '/' only; a
// text that is empty or not a date reads as the null date, which a query
// parameter binds as NULL.
#include "platform/rtl/types.h"
#include "platform/ui/stdctrls.h"

namespace integrador {

// The date editor's "no date".
inline constexpr rtl::TDateTime kNullDate = -700000;

class TDateEdit : public ui::TEdit {
  RTL_CLASS(TDateEdit, ui::TEdit)

 public:
  explicit TDateEdit(rtl::TComponent* AOwner);

  // The date typed, without a time; kNullDate when empty or invalid.
  rtl::TDateTime Date();
  // Shows the day of `value` ("dd/mm/yyyy"); kNullDate empties the editor.
  void SetDate(rtl::TDateTime value);

 protected:
  void KeyPress(rtl::Char& key) override;
};

}  // namespace integrador
