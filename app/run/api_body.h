#pragma once
// The part of the web API's answer a run reads: the body's status and its
// supply records, and each record turned into the values of a staging row.
// Pure functions, so the whole path from body text to staging values can be
// checked (and fuzzed) without a database or a server.
#include <memory>

#include "platform/json/json.h"
#include "platform/rtl/types.h"

namespace integrador {

using rtl::String;
using rtl::StringView;
using rtl::TDateTime;

struct TApiBody {
  enum class Kind {
    NotJson,      // the text does not parse; Message holds the parser's text
    NotObject,    // valid JSON whose root is not an object
    OtherCodigo,  // "status"."codigo" is not "001": nothing to stage
    Records,      // Abastecimentos holds the records
  };
  Kind kind = Kind::NotJson;
  String Message;
  String Codigo;
  std::unique_ptr<json::TJSONValue> Root;
  json::TJSONArray* Abastecimentos = nullptr;  // into Root
};

// Parses and classifies a 200 body. Raises json::EJSONException "Value
// 'status' not found" for an object without "status", "Value
// 'abastecimentos' not found" for "001" without the array, and the JSON
// layer's conversion error when either has the wrong type.
TApiBody ReadApiBody(StringView body);

// A member read as text: a string's content, a number as written; empty when
// missing or null.
String MemberText(const json::TJSONObject& object, StringView name);

// One "abastecimentos" element as the values of its staging row.
struct TSupplyValues {
  String OrderId;
  TDateTime DataInicio = 0;
  TDateTime DataFim = 0;
  String Quantidade;  // decimal comma
  String Km;          // decimal comma
  String Placa;       // without blanks
  bool HasCombustivel = false;  // false when "combustivel" is null
  String CodigoCombustivel;
  String JsonArquivo;  // the element re-serialised
};

// Raises for an element without "veiculo" (or null), without "combustivel",
// or with a date that does not read as pt-BR "dd/mm/yyyy hh:nn[:ss]".
TSupplyValues ReadSupplyElement(const json::TJSONObject& element);

// The first "." replaced by ",".
String DecimalComma(StringView text);

}  // namespace integrador
