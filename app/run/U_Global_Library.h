#pragma once
// The global data module: the login connection DBXConnection and the ERP
// session set-up that runs on it after every connect.
#include "platform/dac/connection.h"
#include "platform/rtl/classes.h"

namespace rtl {
struct TFormatSettings;
}

namespace integrador {

class TGlobal_Library : public rtl::TDataModule {
  RTL_CLASS(TGlobal_Library, rtl::TDataModule)

 public:
  // Create with rtl::Create so that the module finishes loading.
  explicit TGlobal_Library(rtl::TComponent* AOwner);
  ~TGlobal_Library() override;

  // The login connection, owned by the module; closed until the login.
  dac::TConnection* DBXConnection = nullptr;

  // The session set-up, in this order: the role, the language settings, the
  // company of the "DEFAULT COMPANY" parameter as a number (text that is not
  // a number, or none, selects company 0). A failing step fails the connect.
  void DBXConnectionAfterConnect(rtl::TObject* Sender);
};

// The program's one instance, set by its start-up.
extern TGlobal_Library* Global_Library;

// Brazilian Portuguese settings, built once: the program's dates and
// numbers are written and read in them whatever the process locale.
const rtl::TFormatSettings& PtBr();

// The company the session set-up selects for the text typed at the login.
double SessionCompany(rtl::StringView text);

}  // namespace integrador
