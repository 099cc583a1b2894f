#pragma once
// Status codes of the graphics interface and the exception that carries one.
// The flat functions return a GpStatus; the codecs and the object code below
// them throw GpException, which the flat layer turns back into the status.
#include <string>
#include <string_view>

#include "platform/rtl/except.h"

namespace gdiplus {

enum GpStatus : int {
  Ok = 0,
  GenericError = 1,
  InvalidParameter = 2,
  OutOfMemory = 3,
  ObjectBusy = 4,
  InsufficientBuffer = 5,
  NotImplemented = 6,
  Win32Error = 7,
  WrongState = 8,
  Aborted = 9,
  FileNotFound = 10,
  ValueOverflow = 11,
  AccessDenied = 12,
  UnknownImageFormat = 13,
  FontFamilyNotFound = 14,
  FontStyleNotFound = 15,
  NotTrueTypeFont = 16,
  UnsupportedGdiplusVersion = 17,
  GdiplusNotInitialized = 18,
  PropertyNotFound = 19,
  PropertyNotSupported = 20,
};
using Status = GpStatus;

// The status name ("InvalidParameter"), for messages.
const char* StatusName(GpStatus status);

// How the codecs report bad input:
//   UnknownImageFormat  the bytes are no image we know, or a kind of that
//                       format we do not read;
//   InvalidParameter    truncated or malformed data;
//   OutOfMemory         sizes beyond the pixel limit or the memory at hand.
class GpException : public rtl::Exception {
 public:
  GpException(GpStatus status, std::string_view message);
  GpStatus status() const { return status_; }
  const char* ClassName() const override { return "EGdiplusError"; }

 private:
  GpStatus status_;
};

[[noreturn]] void fail(GpStatus status, std::string_view message);

// The message of the last failing flat call on this thread ("" after a
// success), so that callers and tests can say why a status came back.
const std::string& lastErrorMessage();
void setLastErrorMessage(std::string message);

}  // namespace gdiplus
