#include "app/run/update_error_handling.h"

#include "platform/rtl/except.h"
#include "platform/rtl/format.h"
#include "platform/rtl/ustring.h"

namespace integrador {

bool TUpdateErrorHandling::ApplyUpdatesWithErrorHandling(dac::TQuery* AQuery) {
  vError.clear();
  if (AQuery == nullptr) {
    vError = u"Query não atribuída.";
    return false;
  }
  ConfigurarUpdateError(AQuery);
  try {
    AQuery->ApplyUpdates(-1);
  } catch (const rtl::Exception& e) {
    vError = rtl::Format(u"Erro ApplyUpdates [%s]: %s", {AQuery->Name(), e.Message()});
  } catch (const std::exception& e) {
    vError = rtl::Format(u"Erro ApplyUpdates [%s]: %s",
                         {AQuery->Name(), rtl::Utf8ToString(e.what())});
  }
  return vError.empty();
}

void TUpdateErrorHandling::ConfigurarUpdateError(dac::TQuery* AQuery) {
  if (AQuery == nullptr) return;
  AQuery->SetOnUpdateError(
      dac::TUpdateErrorEvent::bind<&TUpdateErrorHandling::OnFDQueryUpdateError>(this));
}

void TUpdateErrorHandling::OnFDQueryUpdateError(db::TDataSet* ASender,
                                                db::EDatabaseError& AException,
                                                const db::TMemRecord*, dac::TUpdateRequest,
                                                dac::TUpdateAction& AAction) {
  rtl::String name = ASender != nullptr ? ASender->Name() : rtl::String();
  vError = rtl::Format(u"Error de [%s]: %s", {name, AException.Message()});
  AAction = dac::eaSkip;
}

}  // namespace integrador
