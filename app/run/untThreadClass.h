#pragma once
// One integration run on a worker thread: fetch the period's supply records
// from the web API, stage each new one, turn pending ones into requisitions,
// and clear the busy flag. Everything it writes goes through its own data
// module; it reaches the main thread only through Log (blocking) and the
// grid refresh (queued).
#include <atomic>
#include <exception>
#include <memory>
#include <string>
#include <unordered_map>

#include "app/run/log_lines.h"
#include "app/run/weak_handle.h"
#include "app/run/udmThread.h"
#include "platform/net/httpclient.h"
#include "platform/rtl/threads.h"
#include "platform/rtl/variant.h"

namespace json {
class TJSONObject;
}

namespace integrador {

struct TSupplyValues;

// What the scheduler hands to a run. Owns none of what it points to.
class TThreadParams {
 public:
  TThreadParams() = default;
  ~TThreadParams() = default;

  // The login connection's own parameter list, copied by the worker's
  // constructor.
  const rtl::TStrings* ConnDefParams = nullptr;
  rtl::TComponent* Grid = nullptr;  // handed over; the run does not use it
  ILogLines* RichEdit = nullptr;    // where the run's log lines go
  // The resource whose busy flag the starter took, so that the run frees it
  // even when it cannot read the resource; 0: the run reads it.
  int Resource = 0;
};

class TThreadXML : public rtl::TThread {
 public:
  // On the main thread. Takes ownership of AParams once construction has
  // succeeded (a failed construction leaves them to the caller). Build it
  // with rtl::NewThread<TThreadXML>(params): it starts once fully built and
  // frees itself when its run ends.
  explicit TThreadXML(TThreadParams* AParams);
  ~TThreadXML() override;

  // --- for tests and the closing program
  // Workers alive in the process (constructed and not yet destroyed).
  static int LiveCount();
  // Asks every live worker to stop at its next safe point: between records,
  // between requisition rows, during the pause between attempts, or while a
  // request is in flight. Any thread.
  static void TerminateAll();
  // Main thread: serves hand-overs until no worker is alive, at most
  // `realTimeoutMs` of real time. True when none is left.
  static bool WaitForAll(rtl::Int64 realTimeoutMs);
  // The pause between failed attempts (5000 ms).
  static constexpr rtl::Int64 kRetryPauseMs = 5000;
  static constexpr int kMaxAttempts = 3;
  // Tests shorten the HTTP inactivity time-out and the body cap; 0 keeps the
  // client's default. Read by the constructor.
  static void SetHttpLimitsForTests(int responseTimeoutMs, std::size_t maxContentSize);
  // Tests shorten the limit on a whole attempt (a few minutes); 0 keeps it.
  static void SetHttpTotalLimitForTests(int totalTimeoutMs);

  TThreadParams* Params() const { return FParams.get(); }
  TdtmThread* Dtm() const { return FDtm.get(); }

  // The run's steps, public as the design names them.
  void Log(const rtl::String& AMsg);
  void AtualizaTelaPrincipal();
  bool CheckDatabaseConnection();
  void ProcessInvoiceData(const json::TJSONObject& AElement);
  void InsertQueloraRecord(const json::TJSONObject& AElement);
  // False when the step failed for the database (the run then fails); a
  // row refused on its own is logged and leaves the step true.
  bool InsertRequisicao();
  void UpdateStatus(const rtl::String& status_integracao, const rtl::String& id_quelora,
                    double ano_requisicao, double numero_requisicao, double id_requisicao,
                    double erro_integracao, const rtl::String& log_erro_integracao);
  double GetSequence(const rtl::String& sequence);
  void LerConfigEmMemTable(dac::TMemTable* AMemTable);
  void GetFieldValue(db::TDataSet* ATable, const rtl::String& FilterField,
                     const rtl::Variant& FilterValue, const rtl::String& ReturnField,
                     rtl::Variant& Result);

  rtl::String vError;

 protected:
  void Execute() override;
  // A run stopped before its body started still frees the flag its starter
  // took (the thread then skips Execute).
  void DoTerminate() override;

 private:
  bool bodyStarted_ = false;  // worker thread only
  struct Resource {
    bool known = false;
    int id = 0;
    rtl::String ponteiro;  // as stored, "dd/mm/yyyy hh:nn:ss"
    rtl::String url;
    rtl::String token;
    rtl::TDateTime horaAtual = 0;
    // The next request's window starts from this stored time when set (from
    // the next-run time otherwise); false on a database without its column.
    rtl::String inicioConsulta;
    bool windowKept = false;
  };
  void readResource();
  // After a run that fetched and staged its records: the next request's
  // window starts from `start`. A failed run leaves it, so that the next
  // request asks again from where the last good one did.
  void moveWindow(const rtl::String& start);
  void writeFlag(int carga, const rtl::String& ponteiro);
  void endOfRun();
  // The API request with its retries: false when no attempt got a 200
  // answer (or a stop was asked).
  bool fetch(net::THTTPResponse& response);
  rtl::String requestAddress() const;
  // Reads the answer and stages each element: false when the answer holds
  // no records to stage or the database refused an element, so that the
  // run goes to its end without the requisitions.
  bool processBody(const rtl::String& body);
  rtl::String scrub(const rtl::String& text) const;
  void rollbackAll();
  // On the server, the reads of one element that need nothing but the
  // element go together in one round trip before it is staged; what each
  // returned (or raised) is used at the point where it would have run.
  struct Lookups {
    dac::PipelinedResult dup;
    // The staging's key, taken only while the element is not staged (a
    // staged one uses up no value): no row when it is.
    dac::PipelinedResult key;
    bool haveBem = false;
    dac::PipelinedResult bem;
    bool haveMaterial = false;
    rtl::String material;
    dac::PipelinedResult materialRows;
  };
  Lookups readLookups(const TSupplyValues& values);
  // Writes one element read without fault; raises what the database (or
  // the connection) refused. `key` is the key taken, 0 before that.
  void stageElement(const TSupplyValues& values, double& key);
  void useUpKey(double key);
  // One catalogue statement with one text parameter, run as its query would
  // run it, without building a dataset for the answer.
  dac::ResultSet lookup(const char16_t* statement, const rtl::String& value);
  // The driver's form of a catalogue statement with one parameter.
  const std::string& driverText(const char16_t* statement);
  std::unordered_map<const char16_t*, std::string> driverTexts_;

  std::unique_ptr<TThreadParams> FParams;
  TWeakHandle<ILogLines> logTarget_;  // where Log's lines go, while it exists
  std::unique_ptr<TdtmThread> FDtm;
  std::unique_ptr<net::THTTPClient> FHTTPClient;
  // One grid refresh pending at most; shared with the queued hand-over,
  // which may run after this object has gone.
  std::shared_ptr<std::atomic<bool>> refreshPending_;
  Resource resource_;
  bool flagMoved_ = false;
  // Elements of this run the database refused, and the first cause.
  int databaseFailures_ = 0;
  rtl::String databaseCause_;
  rtl::String ponteiroAtual_;  // the next-run time now stored
  bool registered_ = false;
};

// The stored next-run time, in its one form "dd/mm/yyyy hh:nn:ss" whatever
// the process locale. The parse raises EConvertError "Próxima consulta
// inválida: '<text>'".
rtl::String FormatNextRunTime(rtl::TDateTime value);
rtl::TDateTime ParseNextRunTime(const rtl::String& text);

// The texts of the run that the program and its tests look for.
inline constexpr char16_t kSuccessLine[] = u"Thread executada com sucesso.";
// The last line of a run asked to stop before its end.
inline constexpr char16_t kStoppedLine[] = u"Execução interrompida antes do fim.";
inline constexpr char16_t kResourceMissing[] =
    u"Recurso de integração da API Quelora não encontrado.";

}  // namespace integrador
