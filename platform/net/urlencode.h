#pragma once
// URL encoding of query values the way the platform's net encoding does it:
// letters, digits and ! $ ' ( ) * - . @ _ pass, a blank becomes '+', every
// other character becomes %XX (upper-case hex) for each of its UTF-8 bytes.
#include "platform/rtl/types.h"

namespace net {

using rtl::String;
using rtl::StringView;

String URLEncode(StringView text);

// The platform spells it TNetEncoding.URL.Encode(text).
class TURLEncoding {
 public:
  String Encode(StringView text) const { return URLEncode(text); }
};

class TNetEncoding {
 public:
  static const TURLEncoding URL;
};

}  // namespace net
