#pragma once
// The part of the web API's answer a run reads: the body's status and its
// supply records, and each record turned into the values of a staging row.
// Pure functions, so the whole path from body text to staging values can be
// checked (and fuzzed) without a database or a server.
#include <memory>

#include "platform/json/json.h"
#include "platform/rtl/except.h"
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
  String Mensagem;  // "status"."mensagem", when the status is not "001"
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

// Why one element cannot be staged: a fault of the element's data, not of
// the database, so the run goes on with the next element.
class EElementError : public rtl::Exception {
 public:
  using rtl::Exception::Exception;
};

// The staging's length limits, the same on every engine (the server's
// columns are as wide).
inline constexpr std::size_t kMaxOrderIdLength = 64;
inline constexpr std::size_t kMaxPlacaLength = 20;
inline constexpr std::size_t kMaxErrorLogLength = 4000;
// A fuel supply above this many litres is no supply but a bad value.
inline constexpr double kMaxVolume = 1e6;

// The element's order id in one form whatever way the number was written
// (800021, 800021.0 and 8.00021e5 are one order): an integral number as its
// digits, another number in plain decimal notation, a string as it is.
// Raises EElementError for a missing, empty, over-long or non-scalar id.
String OrderIdOf(const json::TJSONObject& element);

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

// Raises EElementError, naming the member, for an element whose id is not
// read by OrderIdOf, without "veiculo" (or null) or whose "veiculo" or
// "combustivel" is no object, without "combustivel", with a volume that is
// not a number greater than 0 (up to kMaxVolume), a plate longer than
// kMaxPlacaLength, or a date that does not read as pt-BR
// "dd/mm/yyyy hh:nn[:ss]".
TSupplyValues ReadSupplyElement(const json::TJSONObject& element);

// The first "." replaced by ",".
String DecimalComma(StringView text);

}  // namespace integrador
