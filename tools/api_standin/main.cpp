// api-standin: serves the fuel-supply API's answers on 127.0.0.1 for demos.
// The first line printed is the port it bound on.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <ctime>

#include "tools/api_standin/standin.h"

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void onSignal(int) { stopRequested = 1; }

int usage(const char* message) {
  if (message) std::cerr << "api-standin: " << message << "\n";
  std::cerr << "usage: api-standin [--port N] [--scenario NAME] [--records N] [--log FILE]\n"
               "                   [--max-requests N] [--max-seconds N]\n"
               "scenarios:";
  for (const auto& name : api_standin::ScenarioNames()) std::cerr << ' ' << name;
  std::cerr << "\n";
  return 2;
}

bool readNumber(const char* text, long min, long max, long& out) {
  char* end = nullptr;
  errno = 0;
  long v = std::strtol(text, &end, 10);
  if (errno != 0 || !end || *end != '\0' || end == text || v < min || v > max) return false;
  out = v;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  api_standin::Options options;
  options.maxRequests = 1000;
  options.maxDuration = std::chrono::hours(1);
  std::string scenario = "demo";
  long records = 3;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") return usage(nullptr), 0;
    if (i + 1 >= argc) return usage(("missing value after " + arg).c_str());
    const char* value = argv[++i];
    long n = 0;
    if (arg == "--port") {
      if (!readNumber(value, 0, 65535, n)) return usage("--port takes 0..65535");
      options.port = static_cast<std::uint16_t>(n);
    } else if (arg == "--scenario") {
      scenario = value;
    } else if (arg == "--records") {
      if (!readNumber(value, 0, 1000000, records)) return usage("--records takes 0..1000000");
    } else if (arg == "--log") {
      options.logPath = value;
    } else if (arg == "--max-requests") {
      if (!readNumber(value, 1, 1000000000, n)) return usage("--max-requests takes a positive number");
      options.maxRequests = static_cast<std::size_t>(n);
    } else if (arg == "--max-seconds") {
      if (!readNumber(value, 1, 1000000000, n)) return usage("--max-seconds takes a positive number");
      options.maxDuration = std::chrono::seconds(n);
    } else {
      return usage(("unknown option " + arg).c_str());
    }
  }

  api_standin::Responder responder;
  try {
    responder = api_standin::Scenario(scenario, static_cast<int>(records));
  } catch (const std::exception& e) {
    return usage(e.what());
  }

  std::signal(SIGINT, onSignal);
  std::signal(SIGTERM, onSignal);
  try {
    api_standin::Server server(options);
    server.SetResponder(responder);
    std::cout << server.Port() << std::endl;
    std::cerr << "api-standin: serving scenario '" << scenario << "' at " << server.BaseUrl() << "\n";
    while (server.Running() && !stopRequested) {
      struct timespec ts{0, 100 * 1000 * 1000};
      nanosleep(&ts, nullptr);
    }
    server.Stop();
    server.Wait();
    std::cerr << "api-standin: stopped after " << server.RequestCount() << " request(s)\n";
  } catch (const std::exception& e) {
    std::cerr << "api-standin: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
