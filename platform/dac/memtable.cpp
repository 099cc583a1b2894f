#include "platform/dac/memtable.h"

namespace dac {

TMemTable::TMemTable(rtl::TComponent* owner) : db::TCustomMemDataSet(owner) {
  // Text written into number and date fields reads as the ERP's users write it.
  SetFormatSettings(rtl::TFormatSettings::Create(rtl::LOCALE_PT_BR));
}
TMemTable::~TMemTable() = default;

}  // namespace dac
