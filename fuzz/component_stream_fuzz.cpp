// Feeds untrusted bytes to TReader: streams starting with "TPF0" are read as a
// root component (created by class name, and into an existing root); other
// bytes as a run of tagged values. Read errors are expected; crashes, leaks
// and reads past the end are not.
#include <cstddef>
#include <cstdint>

#include "platform/rtl/classes.h"
#include "platform/rtl/except.h"
#include "platform/rtl/filer.h"
#include "platform/rtl/streams.h"
#include "tests/rtl/stream_test_classes.h"

namespace fuzzing {

using namespace rtl;
using namespace rtl::stream_test;

void registerClasses() {
  static const bool done = [] {
    registerTestClasses();
    return true;
  }();
  (void)done;
}

// Buddy references are only resolved inside the tree just read, and every
// component of it is owned by the root, so freeing the root frees them all.
void clearBuddies(TComponent* root) {
  if (auto* c = dynamic_cast<TTestComponent*>(root)) c->buddy = nullptr;
  for (int i = 0; i < root->ComponentCount(); ++i) clearBuddies(root->Components(i));
}

void readValues(TStream& stream) {
  TReader reader(&stream);
  bool variant = false;
  while (reader.Remaining() > 0) {
    if (variant)
      reader.ReadVariant();
    else
      reader.SkipValue();
    variant = !variant;
  }
}

void readRoots(TStream& stream) {
  try {
    TReader reader(&stream);
    Owned<TComponent> root(reader.ReadRootComponent(nullptr));
    clearBuddies(root.get());
  } catch (const Exception&) {
  }
  stream.SetPosition(0);
  // An existing root of another class than most streams name.
  Owned<TTestPanel> existing(Create<TTestPanel>(nullptr));
  TReader reader(&stream);
  try {
    reader.ReadRootComponent(existing.get());
  } catch (const Exception&) {
  }
  clearBuddies(existing.get());
}

}  // namespace fuzzing

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace fuzzing;
  registerClasses();
  TPointerStream stream(data, static_cast<Int64>(size));
  try {
    if (size >= 4 && data[0] == 'T' && data[1] == 'P' && data[2] == 'F' && data[3] == '0')
      readRoots(stream);
    else
      readValues(stream);
  } catch (const Exception&) {
    // Refusing bad input is the expected outcome.
  }
  return 0;
}
