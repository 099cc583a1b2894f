#include "lib/core/dxSpellCheckerCore.h"

namespace core {

void TdxSpellCheckerInstance::Release() {
  FISpellChecker = nullptr;
  FISpellChecker2 = nullptr;
  FISpellChecker3 = nullptr;
}

void dxSpellCheckerCoreFinalization() { TdxSpellCheckerInstance::Release(); }

}  // namespace core
