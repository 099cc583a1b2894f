#pragma once
// The process-wide holder of the spell checker. No spell checker exists in
// this program, so every interface stays empty and editors that test for one
// do no spelling work.
#include "platform/rtl/object.h"

namespace core {

class IdxSpellChecker {
 protected:
  ~IdxSpellChecker() = default;
};
class IdxSpellChecker2 {
 protected:
  ~IdxSpellChecker2() = default;
};
class IdxSpellChecker3 {
 protected:
  ~IdxSpellChecker3() = default;
};

class TdxSpellCheckerInstance {
 public:
  static IdxSpellChecker* ISpellChecker() { return FISpellChecker; }
  static IdxSpellChecker2* ISpellChecker2() { return FISpellChecker2; }
  static IdxSpellChecker3* ISpellChecker3() { return FISpellChecker3; }
  // Releases the interfaces and the change event (the unit's stop).
  static void Release();

 private:
  static inline IdxSpellChecker* FISpellChecker = nullptr;
  static inline IdxSpellChecker2* FISpellChecker2 = nullptr;
  static inline IdxSpellChecker3* FISpellChecker3 = nullptr;
};

void dxSpellCheckerCoreFinalization();

}  // namespace core
