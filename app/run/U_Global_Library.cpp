#include "app/run/U_Global_Library.h"

#include "app/run/sql_dialect.h"
#include "app/run/statement_catalogue.h"
#include "platform/dac/query.h"
#include "platform/rtl/format.h"
#include "platform/rtl/formatsettings.h"

namespace integrador {

TGlobal_Library* Global_Library = nullptr;

TGlobal_Library::TGlobal_Library(rtl::TComponent* AOwner) : rtl::TDataModule(AOwner) {
  DBXConnection = rtl::Create<dac::TConnection>(this);
  DBXConnection->SetName(u"DBXConnection");
  DBXConnection->SetLoginPrompt(false);
  DBXConnection->AfterConnect =
      rtl::TNotifyEvent::bind<&TGlobal_Library::DBXConnectionAfterConnect>(this);
}

TGlobal_Library::~TGlobal_Library() {
  if (Global_Library == this) Global_Library = nullptr;
}

const rtl::TFormatSettings& PtBr() {
  static const rtl::TFormatSettings settings = rtl::TFormatSettings::Create(rtl::LOCALE_PT_BR);
  return settings;
}

double SessionCompany(rtl::StringView text) { return rtl::StrToFloatDef(text, 0, PtBr()); }

void TGlobal_Library::DBXConnectionAfterConnect(rtl::TObject* Sender) {
  auto* connection = dynamic_cast<dac::TConnection*>(Sender);
  if (connection == nullptr) connection = DBXConnection;
  const SqlDialect dialect = DialectOf(*connection);
  // Freed on every way out, a failing step included.
  dac::TQuery query(nullptr);
  query.SetConnection(connection);

  query.SQL().SetText(StatementText(u"SessionSetRole", dialect));
  query.ExecSQL();

  query.SQL().SetText(StatementText(u"SessionSetNlsParameters", dialect));
  query.ExecSQL();

  query.SQL().SetText(StatementText(u"SessionSetEmpresa", dialect));
  query.ParamByName(u"empresa")->SetAsFloat(
      SessionCompany(connection->Params().Values(u"DEFAULT COMPANY")));
  query.ExecSQL();
}

}  // namespace integrador
