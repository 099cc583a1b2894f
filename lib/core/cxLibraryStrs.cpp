#include "lib/core/cxLibraryStrs.h"

#include "platform/rtl/ustring.h"

namespace core {

void AddcxLibraryResourceStringNames(TdxProductResourceStrings* product) {
  struct Named {
    const char* name;
    TcxResourceStringID text;
  };
  static const Named names[] = {
      {"scxCantCreateRegistryKey", &scxCantCreateRegistryKey},
      {"scxCantOpenRegistryKey", &scxCantOpenRegistryKey},
      {"scxErrorStoreObject", &scxErrorStoreObject},
      {"scxConverterCantCreateStyleRepository", &scxConverterCantCreateStyleRepository},
      {"scxBuiltInLookAndFeelStyles", &scxBuiltInLookAndFeelStyles},
      {"scxLockedStateText", &scxLockedStateText},
      {"cxSDateToday", &cxSDateToday},
      {"cxSDateYesterday", &cxSDateYesterday},
      {"cxSDateTomorrow", &cxSDateTomorrow},
      {"cxSDateSunday", &cxSDateSunday},
      {"cxSDateMonday", &cxSDateMonday},
      {"cxSDateTuesday", &cxSDateTuesday},
      {"cxSDateWednesday", &cxSDateWednesday},
      {"cxSDateThursday", &cxSDateThursday},
      {"cxSDateFriday", &cxSDateFriday},
      {"cxSDateSaturday", &cxSDateSaturday},
      {"cxSDateFirst", &cxSDateFirst},
      {"cxSDateSecond", &cxSDateSecond},
      {"cxSDateThird", &cxSDateThird},
      {"cxSDateFourth", &cxSDateFourth},
      {"cxSDateFifth", &cxSDateFifth},
      {"cxSDateSixth", &cxSDateSixth},
      {"cxSDateSeventh", &cxSDateSeventh},
      {"cxSDateBOM", &cxSDateBOM},
      {"cxSDateEOM", &cxSDateEOM},
      {"cxSDateNow", &cxSDateNow},
  };
  for (const Named& n : names) product->Add(rtl::S(n.name), n.text);
}

void cxLibraryStrsInitialization() {
  dxResourceStringsRepository()->RegisterProduct(kCoreLibraryProductName,
                                                 &AddcxLibraryResourceStringNames);
}

void cxLibraryStrsFinalization() {
  dxResourceStringsRepository()->UnRegisterProduct(kCoreLibraryProductName, nullptr);
}

}  // namespace core
