// Parsing and walking a 5,000-element answer of the fuel-supply API with our
// JSON classes, beside nlohmann-json's own parse of the same text (the
// baseline) in the same run. Each walk reads the members the run reads, as
// text.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>

#include "platform/json/json.h"
#include "platform/rtl/ustring.h"

namespace {

const char* const kMembers[] = {"id", "data_inicio", "hora_inicio", "data_fim", "hora_fim",
                                "volume", "horimetro", "odometro"};
const char16_t* const kMembers16[] = {u"id", u"data_inicio", u"hora_inicio", u"data_fim",
                                      u"hora_fim", u"volume", u"horimetro", u"odometro"};

const std::string& body() {
  static const std::string text = [] {
    std::string b = "{\"status\":{\"codigo\":\"001\",\"mensagem\":\"OK\"},\"abastecimentos\":[";
    char element[600];
    for (int i = 0; i < 5000; ++i) {
      std::snprintf(element, sizeof element,
                    "%s{\"id\":%d,\"data_inicio\":\"21/06/2025\",\"hora_inicio\":\"08:%02d:00\","
                    "\"data_fim\":\"21/06/2025\",\"hora_fim\":\"08:%02d:10\",\"volume\":%d.%02d,"
                    "\"horimetro\":\"\",\"odometro\":%d.7,\"motorista\":\"JOS\xC3\x89 DA SILVA\","
                    "\"veiculo\":{\"placa\":\"ABC %dD23\",\"modelo\":\"CAMINH\xC3\x83O BA\xC3\x9A\"},"
                    "\"combustivel\":{\"codigo\":%d,\"descricao\":\"\xC3\x93LEO DIESEL S10\"}}",
                    i ? "," : "", 1523000 + i, i % 60, (i + 5) % 60, 20 + i % 80, i % 100,
                    100000 + i * 37, i % 10, 1 + i % 3);
      b += element;
    }
    b += "]}";
    return b;
  }();
  return text;
}

std::size_t walkOurs(const json::TJSONValue& root, bool reserialise) {
  std::size_t total = 0;
  total += root.GetValue<rtl::String>(u"status.codigo").size();
  auto* items = root.GetValue<json::TJSONArray*>(u"abastecimentos");
  for (int i = 0; i < items->Count(); ++i) {
    auto* e = items->Items(i)->GetValue<json::TJSONObject*>();
    for (const char16_t* name : kMembers16) {
      rtl::String text;
      e->TryGetValue<rtl::String>(name, text);
      total += text.size();
    }
    total += e->GetValue<json::TJSONObject*>(u"veiculo")->GetValue<rtl::String>(u"placa").size();
    total += e->GetValue<json::TJSONObject*>(u"combustivel")->GetValue<rtl::String>(u"codigo").size();
    if (reserialise) total += e->ToJSON().size();
  }
  return total;
}

std::size_t textOf(const nlohmann::json& v) {
  if (v.is_string()) return rtl::Utf8ToString(v.get_ref<const std::string&>()).size();
  return rtl::Utf8ToString(v.dump()).size();
}

std::size_t walkNlohmann(const nlohmann::json& root, bool reserialise) {
  std::size_t total = textOf(root.at("status").at("codigo"));
  for (const auto& e : root.at("abastecimentos")) {
    for (const char* name : kMembers) {
      auto it = e.find(name);
      if (it != e.end()) total += textOf(*it);
    }
    total += textOf(e.at("veiculo").at("placa"));
    total += textOf(e.at("combustivel").at("codigo"));
    if (reserialise) total += rtl::Utf8ToString(e.dump()).size();
  }
  return total;
}

void BM_Ours_ParseAndWalk(benchmark::State& state) {
  const std::string& text = body();
  for (auto _ : state) {
    auto root = json::TJSONValue::ParseJSONValue(std::string_view(text));
    benchmark::DoNotOptimize(walkOurs(*root, false));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void BM_Nlohmann_ParseAndWalk(benchmark::State& state) {
  const std::string& text = body();
  for (auto _ : state) {
    auto root = nlohmann::json::parse(text);
    benchmark::DoNotOptimize(walkNlohmann(root, false));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

// The run's own path: the body arrives as String and each element is also
// re-serialised for storage (nlohmann's dump() writes numbers in its own
// spelling, which the run cannot use; it is the nearest baseline).
void BM_Ours_FromStringWalkAndReserialise(benchmark::State& state) {
  const rtl::String text = rtl::Utf8ToString(body());
  for (auto _ : state) {
    auto root = json::TJSONValue::ParseJSONValue(rtl::StringView(text));
    benchmark::DoNotOptimize(walkOurs(*root, true));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * body().size()));
}

void BM_Nlohmann_FromStringWalkAndReserialise(benchmark::State& state) {
  const rtl::String text = rtl::Utf8ToString(body());
  for (auto _ : state) {
    auto root = nlohmann::json::parse(rtl::StringToUtf8(text));
    benchmark::DoNotOptimize(walkNlohmann(root, true));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * body().size()));
}

BENCHMARK(BM_Nlohmann_ParseAndWalk)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Ours_ParseAndWalk)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Nlohmann_FromStringWalkAndReserialise)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Ours_FromStringWalkAndReserialise)->Unit(benchmark::kMillisecond);

}  // namespace
