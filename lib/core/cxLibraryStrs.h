#pragma once
// The core library's texts and their product "CoreLibrary" in the
// resource-strings repository.
#include "lib/core/dxCore.h"

namespace core {

inline constexpr TcxResourceString scxCantCreateRegistryKey{u"Can't create the registry key: \\%s"};
inline constexpr TcxResourceString scxCantOpenRegistryKey{u"Can't open the registry key: \\%s"};
inline constexpr TcxResourceString scxErrorStoreObject{u"Error store %s object"};
inline constexpr TcxResourceString scxConverterCantCreateStyleRepository{
    u"Can't create the Style Repository"};
inline constexpr TcxResourceString scxBuiltInLookAndFeelStyles{u"Built-In Look && Feel Styles"};
inline constexpr TcxResourceString scxLockedStateText{u"Please wait..."};
inline constexpr TcxResourceString cxSDateToday{u"today"};
inline constexpr TcxResourceString cxSDateYesterday{u"yesterday"};
inline constexpr TcxResourceString cxSDateTomorrow{u"tomorrow"};
inline constexpr TcxResourceString cxSDateSunday{u"Sunday"};
inline constexpr TcxResourceString cxSDateMonday{u"Monday"};
inline constexpr TcxResourceString cxSDateTuesday{u"Tuesday"};
inline constexpr TcxResourceString cxSDateWednesday{u"Wednesday"};
inline constexpr TcxResourceString cxSDateThursday{u"Thursday"};
inline constexpr TcxResourceString cxSDateFriday{u"Friday"};
inline constexpr TcxResourceString cxSDateSaturday{u"Saturday"};
inline constexpr TcxResourceString cxSDateFirst{u"first"};
inline constexpr TcxResourceString cxSDateSecond{u"second"};
inline constexpr TcxResourceString cxSDateThird{u"third"};
inline constexpr TcxResourceString cxSDateFourth{u"fourth"};
inline constexpr TcxResourceString cxSDateFifth{u"fifth"};
inline constexpr TcxResourceString cxSDateSixth{u"sixth"};
inline constexpr TcxResourceString cxSDateSeventh{u"seventh"};
inline constexpr TcxResourceString cxSDateBOM{u"bom"};
inline constexpr TcxResourceString cxSDateEOM{u"eom"};
inline constexpr TcxResourceString cxSDateNow{u"now"};

inline constexpr char16_t kCoreLibraryProductName[] = u"CoreLibrary";

// Adds the 26 names of the core texts to `product`.
void AddcxLibraryResourceStringNames(TdxProductResourceStrings* product);

void cxLibraryStrsInitialization();  // registers "CoreLibrary"
void cxLibraryStrsFinalization();    // unregisters it

}  // namespace core
