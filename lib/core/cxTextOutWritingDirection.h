#pragma once
// Whether a text in a font charset reads from the right: the date texts pick
// the distinguishing character of a day name from its end for the charsets
// whose scripts need it.
#include "platform/rtl/types.h"
#include "platform/ui/graphics.h"

namespace core {

// The default charset stands for the system's (ANSI here). False for an
// empty text or one that starts with a character below 128; otherwise true
// for the simplified and traditional Chinese and the Arabic charsets.
bool cxGetWritingDirection(ui::TFontCharset ACharset, const rtl::String& AText);

}  // namespace core
