#include "platform/gdiplus/status.h"

#include "platform/rtl/ustring.h"

namespace gdiplus {

const char* StatusName(GpStatus status) {
  static const char* const names[] = {
      "Ok", "GenericError", "InvalidParameter", "OutOfMemory", "ObjectBusy", "InsufficientBuffer",
      "NotImplemented", "Win32Error", "WrongState", "Aborted", "FileNotFound", "ValueOverflow",
      "AccessDenied", "UnknownImageFormat", "FontFamilyNotFound", "FontStyleNotFound",
      "NotTrueTypeFont", "UnsupportedGdiplusVersion", "GdiplusNotInitialized", "PropertyNotFound",
      "PropertyNotSupported"};
  if (status < 0 || status >= static_cast<int>(sizeof(names) / sizeof(names[0]))) return "Unknown";
  return names[status];
}

GpException::GpException(GpStatus status, std::string_view message)
    : rtl::Exception(rtl::Utf8ToString(message)), status_(status) {}

void fail(GpStatus status, std::string_view message) { throw GpException(status, message); }

namespace {
thread_local std::string lastMessage;
}

const std::string& lastErrorMessage() { return lastMessage; }
void setLastErrorMessage(std::string message) { lastMessage = std::move(message); }

}  // namespace gdiplus
