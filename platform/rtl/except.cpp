#include "platform/rtl/except.h"

#include "platform/rtl/ustring.h"

namespace rtl {

Exception::Exception(String message, int helpContext)
    : message_(std::move(message)), utf8_(StringToUtf8(message_)), helpContext_(helpContext) {}

Exception::~Exception() = default;

void Exception::SetMessage(String message) {
  message_ = std::move(message);
  utf8_ = StringToUtf8(message_);
}

const char* Exception::what() const noexcept { return utf8_.c_str(); }

void Abort() { throw EAbort(u"Operation aborted"); }

}  // namespace rtl
