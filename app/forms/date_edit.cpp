#include "app/forms/date_edit.h"

#include <cmath>

#include "platform/rtl/datetime.h"
#include "platform/rtl/ustring.h"

namespace integrador {

TDateEdit::TDateEdit(rtl::TComponent* AOwner) : ui::TEdit(AOwner) { SetMaxLength(10); }

rtl::TDateTime TDateEdit::Date() {
  const rtl::String text = rtl::Trim(Text());
  rtl::TDateTime value = 0;
  // The editor's own picture; one-digit days and months are read too.
  if (rtl::TryParseDateTime(text, u"dd/mm/yyyy", value) || rtl::TryParseDateTime(text, u"d/m/yyyy", value))
    return value;
  return kNullDate;
}

void TDateEdit::SetDate(rtl::TDateTime value) {
  if (value == kNullDate) {
    SetText(rtl::String());
    return;
  }
  SetText(rtl::FormatDateTime(u"dd/mm/yyyy", std::floor(value)));
}

void TDateEdit::KeyPress(rtl::Char& key) {
  // Control keys (backspace, the clipboard's) pass; other text only as the
  // picture allows.
  if (key >= 0x20 && !(key >= u'0' && key <= u'9') && key != u'/') key = 0;
  ui::TEdit::KeyPress(key);
}

}  // namespace integrador
