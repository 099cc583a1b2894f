#pragma once
// config.json: the site's parameters for the ERP side of a run and the map
// from the platform's fuel codes to ERP materials. Read afresh by every run.
#include <string_view>
#include <vector>

#include "platform/rtl/types.h"

namespace integrador {

using rtl::Int64;
using rtl::StringView;

// The seven site parameters. Kept apart from the table rows so that an
// empty "Materiais" does not lose them.
struct TConfigParametros {
  Int64 CodigoEmpresa = 0;
  Int64 Solicitante = 0;
  Int64 Movimentacao = 0;
  Int64 Almoxarifado = 0;
  Int64 ContaContabil = 0;
  Int64 CodigoPosto = 0;
  Int64 CodigoEmpresaQuelora = 0;
};

struct TConfigMaterial {
  Int64 CodigoQuelora = 0;
  rtl::String Descricao;  // at most 100 characters
  Int64 CodigoMardova = 0;
};

struct TConfigFile {
  TConfigParametros Parametros;
  std::vector<TConfigMaterial> Materiais;
};

// The longest description kept; longer ones are cut.
constexpr int kDescricaoSize = 100;
// A configuration file larger than this is refused unread.
constexpr Int64 kMaxConfigFileBytes = 16 << 20;

// Reads the configuration from JSON text (a UTF-8 byte order mark is
// skipped). `path` only names the file in messages. Raises rtl::Exception:
// "Arquivo de configuração inválido: <path>: <parser's message>" for text
// that is not a JSON object, "Value '<name>' not found" for a missing
// member, "Value '<name>' is not an integer" for a parameter or code that is
// not an integral number.
TConfigFile ParseConfigText(std::string_view utf8, const rtl::String& path);

// Reads the file; "Arquivo de configuração não encontrado: <path>" when it
// does not exist.
TConfigFile ReadConfigFile(const rtl::String& path);

// The program's home folder, where config.json and databases.ini are: set
// by the command line (--home) or INTEGRADOR_HOME, else the executable's
// folder. Without a trailing separator.
rtl::String HomeFolder();
void SetHomeFolder(const rtl::String& folder);
// The folder of the running executable.
rtl::String ExecutableFolder();
// HomeFolder() + "/config.json".
rtl::String ConfigFilePath();

}  // namespace integrador
