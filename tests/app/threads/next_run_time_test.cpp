// The stored next-run time: read in its one fixed form whatever the process
// locale, and written from the database server's clock, the one the
// scheduler compares it with.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>

#include "platform/rtl/clock.h"
#include "platform/rtl/formatsettings.h"
#include "platform/rtl/scoped.h"
#include "tests/app/threads/worker_fixture.h"

namespace {

using namespace worker_test;

const char kIniciando[] = "Iniciando consulta à Brenvik...";
const char kSucesso[] = "Thread executada com sucesso.";

// ---- the process locale ---------------------------------------------------------------------

class NextRunLocale : public WorkerRun {};

// 07/06 is the 7th of June; a reader that followed the locale would take it
// for the 6th of July under en-US (and ask for a window that starts after
// today), or fail on it under a locale with other separators.
TEST_P(NextRunLocale, TheWindowStartsFromTheDayAsWrittenUnderEveryLocale) {
  const rtl::TFormatSettings saved = rtl::FormatSettings();
  rtl::ScopeExit restore([&] { rtl::SetFormatSettings(saved); });
  for (const char16_t* locale : {u"pt-BR", u"en-US"}) {
    SCOPED_TRACE(U8(locale));
    // As the program sets them up before any worker starts.
    rtl::SetFormatSettings(rtl::TFormatSettings::Create(locale));
    log_.lines.Clear();
    const std::size_t asked = server_->Requests().size();
    SetResource(server_->BaseUrl(), token_, "07/06/2025 10:00:00", 1);
    server_->Enqueue(Json(Body({Element("1523101", "ABC 1D23")})));
    RunWorker();
    EXPECT_EQ(log_.Texts().back(), kSucesso) << log_.All();
    const auto requests = server_->Requests();
    ASSERT_EQ(requests.size(), asked + 1);
    EXPECT_NE(requests.back().target.find("&data_inicio=07%2F06%2F2025&data_fim=27%2F06%2F2025"), std::string::npos)
        << requests.back().target;
    Archive();
  }
}

INSTANTIATE_TEST_SUITE_P(Drivers, NextRunLocale,
                         testing::Values(dac::DriverKind::SQLite, dac::DriverKind::PostgreSQL), DriverLabel);

// ---- the server's clock on the embedded engine ------------------------------------------------

// On the embedded engine the server's clock is the program's own, so a
// plain test clock cannot tell a time read through a statement from one
// read directly. This clock can: while a statement of any connection opened
// after it runs on a thread, that thread reads the "server" time; anywhere
// else it reads the workstation's, three hours ahead.
class SplitClock final : public rtl::Clock {
 public:
  explicit SplitClock(rtl::Int64 serverMs) : server_(serverMs) {}
  rtl::Int64 UnixTimeMs() override { return inStatement ? server_.load() : server_.load() + kWorkstationAheadMs; }
  rtl::Int64 MonotonicMs() override {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
  }
  void AdvanceServer(rtl::Int64 ms) { server_ += ms; }

  static constexpr rtl::Int64 kWorkstationAheadMs = 3 * 3600 * 1000;

  // Installed on every new connection: marks the thread as inside a
  // statement from its start to its first row or its end.
  static int Install(sqlite3* db, const char**, const void*) {
    return sqlite3_trace_v2(db, SQLITE_TRACE_STMT | SQLITE_TRACE_ROW | SQLITE_TRACE_PROFILE, &trace, nullptr);
  }

 private:
  static int trace(unsigned event, void*, void*, void*) {
    inStatement = event == SQLITE_TRACE_STMT;
    return 0;
  }
  static thread_local bool inStatement;
  std::atomic<rtl::Int64> server_;
};
thread_local bool SplitClock::inStatement = false;

class NextRunClock : public WorkerRun {};

TEST_P(NextRunClock, BothWritesTakeTheServersTimeThroughTheirStatements) {
  clock_.reset();  // the run below needs no pause
  auto clock = std::make_shared<SplitClock>(StartMs());
  sqlite3_auto_extension(reinterpret_cast<void (*)()>(&SplitClock::Install));
  rtl::SetClock(clock);
  rtl::ScopeExit restore([] {
    rtl::SetClock(nullptr);
    sqlite3_cancel_auto_extension(reinterpret_cast<void (*)()>(&SplitClock::Install));
  });

  // The start of the run moves the next-run time one hour past the server's
  // time; the server's clock then moves ten minutes before the run ends.
  std::string atStart;
  log_.lines.onLine = [&](const String& line) {
    if (U8(line).find(kIniciando) == std::string::npos) return;
    atStart = Ponteiro();
    clock->AdvanceServer(10 * 60 * 1000);
  };
  server_->Enqueue(Json(Body({Element("1523201", "ABC 1D23")})));
  RunWorker();
  log_.lines.onLine = nullptr;
  EXPECT_EQ(log_.Texts().back(), kSucesso) << log_.All();
  // 14:03:27 on the server: 15:03:27; the workstation would give 18:03:27.
  EXPECT_EQ(atStart, "27/06/2025 15:03:27");
  // The end reads the server's clock again rather than keeping the start's.
  EXPECT_EQ(Ponteiro(), "27/06/2025 15:13:27");
}

INSTANTIATE_TEST_SUITE_P(Drivers, NextRunClock, testing::Values(dac::DriverKind::SQLite), DriverLabel);

}  // namespace
