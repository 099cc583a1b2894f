#include "lib/core/dxCultureInfo.h"

#include <unicode/uloc.h>

#include <memory>

#include "platform/rtl/ustring.h"

namespace core {
namespace {

std::unique_ptr<std::map<int, rtl::String>>& dictionary() {
  static std::unique_ptr<std::map<int, rtl::String>> FDictionary;
  return FDictionary;
}

// The BCP 47 tag of an ICU locale id ("az_Latn_AZ" -> "az-Latn-AZ").
rtl::String tagOf(const char* localeId) {
  char tag[ULOC_FULLNAME_CAPACITY] = {};
  UErrorCode status = U_ZERO_ERROR;
  uloc_toLanguageTag(localeId, tag, sizeof tag, false, &status);
  return U_SUCCESS(status) ? rtl::S(tag) : rtl::String();
}

void addLocale(std::map<int, rtl::String>& table, const char* localeId) {
  const int lcid = static_cast<int>(uloc_getLCID(localeId));
  if (lcid == 0 || table.count(lcid)) return;
  // Several locales share an identifier (en_AS and en_US); the identifier's
  // own locale names it.
  char canonical[ULOC_FULLNAME_CAPACITY] = {};
  UErrorCode status = U_ZERO_ERROR;
  uloc_getLocaleForLCID(static_cast<uint32_t>(lcid), canonical, sizeof canonical, &status);
  rtl::String name = tagOf(U_SUCCESS(status) && canonical[0] ? canonical : localeId);
  if (!name.empty()) table.emplace(lcid, std::move(name));
}

}  // namespace

void TdxCultureInfoHelper::Initialize() {
  auto table = std::make_unique<std::map<int, rtl::String>>();
  const int32_t count = uloc_countAvailable();
  for (int32_t i = 0; i < count; ++i) {
    const char* localeId = uloc_getAvailable(i);
    // The neutral language ("pt") as well as the regional forms ("pt_BR").
    char language[ULOC_LANG_CAPACITY] = {};
    UErrorCode status = U_ZERO_ERROR;
    uloc_getLanguage(localeId, language, sizeof language, &status);
    if (U_SUCCESS(status)) addLocale(*table, language);
    addLocale(*table, localeId);
  }
  dictionary() = std::move(table);
}

void TdxCultureInfoHelper::Finalize() { dictionary().reset(); }

rtl::String TdxCultureInfoHelper::CultureName(int localeId) {
  const auto& table = dictionary();
  if (!table) return {};
  auto it = table->find(localeId);
  return it == table->end() ? rtl::String() : it->second;
}

int TdxCultureInfoHelper::Count() {
  return dictionary() ? static_cast<int>(dictionary()->size()) : 0;
}

void dxCultureInfoInitialization() { TdxCultureInfoHelper::Initialize(); }
void dxCultureInfoFinalization() { TdxCultureInfoHelper::Finalize(); }

}  // namespace core
