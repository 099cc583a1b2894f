#include "app/run/config.h"

#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <system_error>

#include "platform/json/json.h"
#include "platform/rtl/except.h"
#include "platform/rtl/ustring.h"

namespace integrador {

using rtl::String;
using rtl::StringView;

namespace {

[[noreturn]] void raiseNotInteger(StringView name) {
  throw rtl::Exception(u"Value '" + String(name) + u"' is not an integer");
}

bool parseInt64(std::string_view text, Int64& out) {
  if (text.empty()) return false;
  const char* first = text.data();
  const char* last = first + text.size();
  if (*first == '+') ++first;
  auto [ptr, ec] = std::from_chars(first, last, out);
  // The table's fields are 32-bit integers.
  return ec == std::errc() && ptr == last && out >= INT32_MIN && out <= INT32_MAX;
}

// An integral JSON number, or a string holding a decimal integer, as the
// platform's typed read accepts them.
Int64 readInt(const json::TJSONObject& object, StringView name) {
  json::TJSONValue* value = object.GetMemberValue(name);
  if (!value) json::detail::raiseNotFound(name);
  Int64 out = 0;
  if (auto* number = dynamic_cast<json::TJSONNumber*>(value)) {
    if (parseInt64(number->Text(), out)) return out;
  } else if (auto* text = dynamic_cast<json::TJSONString*>(value)) {
    std::string s = rtl::StringToUtf8(rtl::Trim(text->Value()));
    if (parseInt64(s, out)) return out;
  }
  raiseNotInteger(name);
}

// A member's text; empty when missing or null.
String readText(const json::TJSONObject& object, StringView name) {
  json::TJSONValue* value = object.GetMemberValue(name);
  if (!value || value->Null()) return String();
  return value->Value();
}

template <class T>
T* member(const json::TJSONObject& object, StringView name) {
  json::TJSONValue* value = object.GetMemberValue(name);
  if (!value) json::detail::raiseNotFound(name);
  return value->GetValue<T*>();
}

std::mutex homeMutex;
String homeFolder;

}  // namespace

TConfigFile ParseConfigText(std::string_view utf8, const String& path) {
  if (utf8.size() >= 3 && utf8.substr(0, 3) == "\xEF\xBB\xBF") utf8.remove_prefix(3);
  String message;
  json::TJSONParseLimits limits;
  limits.maxDepth = 64;
  std::unique_ptr<json::TJSONValue> root = json::TJSONValue::ParseJSONValue(utf8, message, limits);
  if (!root)
    throw rtl::Exception(u"Arquivo de configuração inválido: " + path + u": " + message);
  auto* object = dynamic_cast<json::TJSONObject*>(root.get());
  if (!object)
    throw rtl::Exception(u"Arquivo de configuração inválido: " + path +
                         u": o conteúdo não é um objeto JSON.");

  TConfigFile config;
  auto* parametros = member<json::TJSONObject>(*object, u"Parametros");
  TConfigParametros& p = config.Parametros;
  p.CodigoEmpresa = readInt(*parametros, u"CodigoEmpresa");
  p.Solicitante = readInt(*parametros, u"Solicitante");
  p.Movimentacao = readInt(*parametros, u"Movimentacao");
  p.Almoxarifado = readInt(*parametros, u"Almoxarifado");
  p.ContaContabil = readInt(*parametros, u"ContaContabil");
  p.CodigoPosto = readInt(*parametros, u"CodigoPosto");
  p.CodigoEmpresaQuelora = readInt(*parametros, u"CodigoEmpresaQuelora");

  auto* materiais = member<json::TJSONArray>(*object, u"Materiais");
  config.Materiais.reserve(static_cast<std::size_t>(materiais->Count()));
  for (int i = 0; i < materiais->Count(); ++i) {
    auto* element = materiais->Items(i)->GetValue<json::TJSONObject*>();
    TConfigMaterial m;
    m.Descricao = readText(*element, u"DescricaoQuelora");
    if (m.Descricao.empty()) m.Descricao = readText(*element, u"Descricao");
    if (static_cast<int>(m.Descricao.size()) > kDescricaoSize) {
      // Cut at a character, never inside a surrogate pair.
      std::size_t cut = 0;
      int chars = 0;
      while (cut < m.Descricao.size() && chars < kDescricaoSize) {
        char16_t c = m.Descricao[cut];
        cut += (c >= 0xD800 && c <= 0xDBFF && cut + 1 < m.Descricao.size()) ? 2 : 1;
        ++chars;
      }
      m.Descricao.resize(cut);
    }
    m.CodigoQuelora = readInt(*element, u"CodigoQuelora");
    m.CodigoMardova = readInt(*element, u"CodigoMardova");
    config.Materiais.push_back(std::move(m));
  }
  return config;
}

TConfigFile ReadConfigFile(const String& path) {
  std::filesystem::path file(rtl::StringToUtf8(path));
  std::error_code ec;
  const std::filesystem::file_status status = std::filesystem::status(file, ec);
  if (!std::filesystem::exists(status))
    throw rtl::Exception(u"Arquivo de configuração não encontrado: " + path);
  if (!std::filesystem::is_regular_file(status))
    throw rtl::Exception(u"Arquivo de configuração ilegível: " + path + u": não é um arquivo comum.");
  auto size = std::filesystem::file_size(file, ec);
  if (ec || size > static_cast<std::uintmax_t>(kMaxConfigFileBytes))
    throw rtl::Exception(u"Arquivo de configuração inválido: " + path +
                         u": o arquivo é grande demais.");
  std::ifstream in(file, std::ios::binary);
  // The file is there (checked above): failing to open it is another fault
  // (its permissions, most often), which "not found" would hide.
  if (!in)
    throw rtl::Exception(u"Arquivo de configuração ilegível: " + path + u": " +
                         rtl::Utf8ToString(std::error_code(errno, std::generic_category()).message()));
  std::string bytes(static_cast<std::size_t>(size), '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (in.bad())
    throw rtl::Exception(u"Arquivo de configuração ilegível: " + path + u": erro de leitura.");
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  return ParseConfigText(bytes, path);
}

String ExecutableFolder() {
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return u".";
  return rtl::Utf8ToString(exe.parent_path().string());
}

String HomeFolder() {
  {
    std::lock_guard<std::mutex> lock(homeMutex);
    if (!homeFolder.empty()) return homeFolder;
  }
  if (const char* env = std::getenv("INTEGRADOR_HOME"); env && *env) {
    String folder = rtl::Utf8ToString(env);
    while (folder.size() > 1 && folder.back() == u'/') folder.pop_back();
    return folder;
  }
  return ExecutableFolder();
}

void SetHomeFolder(const String& folder) {
  std::lock_guard<std::mutex> lock(homeMutex);
  homeFolder = folder;
  while (homeFolder.size() > 1 && homeFolder.back() == u'/') homeFolder.pop_back();
}

String ConfigFilePath() { return HomeFolder() + u"/config.json"; }

}  // namespace integrador
