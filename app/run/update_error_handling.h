#pragma once
// The worker data module's way of writing a query's cached rows: refused rows
// are skipped and the last error is kept as text in vError, which the run
// logs; nothing is raised to the caller. TdtmThread takes these members by
// deriving from TUpdateErrorHandling.
#include "platform/dac/query.h"
#include "platform/rtl/types.h"

namespace integrador {

class TUpdateErrorHandling {
 public:
  // The text of the last error met while writing cached rows; empty when
  // there was none.
  rtl::String vError;

  // Clears vError, writes AQuery's cache with no limit on refused rows and
  // answers whether vError is still empty. Without a query: "Query não
  // atribuída.". An error of the apply itself: "Erro ApplyUpdates [%s]: %s"
  // with the query's name and the message; it does not propagate.
  bool ApplyUpdatesWithErrorHandling(dac::TQuery* AQuery);
  // Makes OnFDQueryUpdateError AQuery's update-error handler.
  void ConfigurarUpdateError(dac::TQuery* AQuery);
  // A refused row: vError becomes "Error de [%s]: %s" with the data set's
  // name and the database's message; the row is skipped and the apply goes on.
  void OnFDQueryUpdateError(db::TDataSet* ASender, db::EDatabaseError& AException,
                            const db::TMemRecord* ARow, dac::TUpdateRequest ARequest,
                            dac::TUpdateAction& AAction);

 protected:
  TUpdateErrorHandling() = default;
  ~TUpdateErrorHandling() = default;
};

}  // namespace integrador
