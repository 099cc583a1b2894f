// config.json read into the run's parameters and materials.
#include <gtest/gtest.h>

#include <string>

#include "app/run/config.h"
#include "platform/rtl/except.h"
#include "platform/rtl/ustring.h"
#include "tests/support/test_support.h"

namespace {

using integrador::ParseConfigText;
using rtl::String;

std::string ConfigU8(const String& s) { return rtl::StringToUtf8(s); }

const char kParametros[] =
    R"("Parametros": {"CodigoEmpresa": 17, "Solicitante": 1234, "Movimentacao": 5, "Almoxarifado": 1,
        "ContaContabil": 3001, "CodigoPosto": 10, "CodigoEmpresaQuelora": 99})";

std::string WithMaterials(const std::string& materials) {
  return std::string("{") + kParametros + ", \"Materiais\": " + materials + "}";
}

// The error a text gives, or "" when it reads.
std::string ErrorOf(const std::string& text) {
  try {
    ParseConfigText(text, u"/casa/config.json");
    return "";
  } catch (const rtl::Exception& e) {
    return ConfigU8(e.Message());
  }
}

TEST(ConfigFile, ReadsParametersAndMaterialsInOrder) {
  auto config = ParseConfigText(
      "\xEF\xBB\xBF" + WithMaterials(R"([
        {"CodigoQuelora": 1, "DescricaoQuelora": "DIESEL S10", "Descricao": "outra", "CodigoMardova": 50012},
        {"CodigoQuelora": "2", "DescricaoQuelora": "", "Descricao": "GASOLINA COMUM", "CodigoMardova": 50013},
        {"CodigoQuelora": 3, "DescricaoQuelora": null, "CodigoMardova": 50014}])"),
      u"x");
  EXPECT_EQ(config.Parametros.CodigoEmpresa, 17);
  EXPECT_EQ(config.Parametros.Solicitante, 1234);
  EXPECT_EQ(config.Parametros.Movimentacao, 5);
  EXPECT_EQ(config.Parametros.Almoxarifado, 1);
  EXPECT_EQ(config.Parametros.ContaContabil, 3001);
  EXPECT_EQ(config.Parametros.CodigoPosto, 10);
  EXPECT_EQ(config.Parametros.CodigoEmpresaQuelora, 99);
  ASSERT_EQ(config.Materiais.size(), 3u);
  EXPECT_EQ(ConfigU8(config.Materiais[0].Descricao), "DIESEL S10");
  EXPECT_EQ(config.Materiais[1].CodigoQuelora, 2);
  EXPECT_EQ(ConfigU8(config.Materiais[1].Descricao), "GASOLINA COMUM");
  EXPECT_EQ(ConfigU8(config.Materiais[2].Descricao), "");
  EXPECT_EQ(config.Materiais[2].CodigoMardova, 50014);
}

TEST(ConfigFile, EmptyMaterialsKeepTheParameters) {
  auto config = ParseConfigText(WithMaterials("[]"), u"x");
  EXPECT_TRUE(config.Materiais.empty());
  EXPECT_EQ(config.Parametros.CodigoPosto, 10);
}

TEST(ConfigFile, LongDescriptionsAreCutToOneHundredCharacters) {
  std::string name;
  for (int i = 0; i < 120; ++i) name += "Ã";  // two bytes, one character
  auto config = ParseConfigText(
      WithMaterials(R"([{"CodigoQuelora": 1, "Descricao": ")" + name + R"(", "CodigoMardova": 2}])"), u"x");
  EXPECT_EQ(config.Materiais[0].Descricao.size(), 100u);
}

TEST(ConfigFile, FaultsNameTheFileOrTheMember) {
  const struct {
    std::string text;
    std::string error;
  } cases[] = {
      {"{\"Parametros\": ", "Arquivo de configuração inválido: /casa/config.json: parse error*"},
      {"", "Arquivo de configuração inválido: /casa/config.json: *"},
      {"[1, 2]", "Arquivo de configuração inválido: /casa/config.json: o conteúdo não é um objeto JSON."},
      {"{\"Materiais\": []}", "Value 'Parametros' not found"},
      {R"({"Parametros": {"CodigoEmpresa": 17}, "Materiais": []})", "Value 'Solicitante' not found"},
      {std::string("{") + kParametros + "}", "Value 'Materiais' not found"},
      {WithMaterials("{}"), "*"},
      {WithMaterials("[1]"), "*"},
      {WithMaterials(R"([{"CodigoQuelora": 1}])"), "Value 'CodigoMardova' not found"},
      {WithMaterials(R"([{"CodigoQuelora": 1.5, "CodigoMardova": 2}])"), "Value 'CodigoQuelora' is not an integer"},
      {WithMaterials(R"([{"CodigoQuelora": "x1", "CodigoMardova": 2}])"), "Value 'CodigoQuelora' is not an integer"},
      {WithMaterials(R"([{"CodigoQuelora": 99999999999, "CodigoMardova": 2}])"),
       "Value 'CodigoQuelora' is not an integer"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    std::string error = ErrorOf(c.text);
    ASSERT_FALSE(error.empty()) << "accepted";
    if (c.error.back() == '*')
      EXPECT_EQ(error.substr(0, c.error.size() - 1), c.error.substr(0, c.error.size() - 1)) << error;
    else
      EXPECT_EQ(error, c.error);
  }
}

TEST(ConfigFile, AMissingFileIsNamedWhole) {
  testing_support::TempDir dir;
  const String path = rtl::Utf8ToString((dir / "config.json").string());
  try {
    integrador::ReadConfigFile(path);
    FAIL();
  } catch (const rtl::Exception& e) {
    EXPECT_EQ(ConfigU8(e.Message()), "Arquivo de configuração não encontrado: " + ConfigU8(path));
  }
  testing_support::WriteFile(dir / "config.json", WithMaterials("[]"));
  EXPECT_EQ(integrador::ReadConfigFile(path).Parametros.CodigoEmpresaQuelora, 99);
}

TEST(ConfigFile, TheHomeFolderComesFromTheCommandLineFirst) {
  integrador::SetHomeFolder(u"/opt/integrador/");
  EXPECT_EQ(ConfigU8(integrador::ConfigFilePath()), "/opt/integrador/config.json");
  integrador::SetHomeFolder(u"");
  setenv("INTEGRADOR_HOME", "/srv/casa", 1);
  EXPECT_EQ(ConfigU8(integrador::HomeFolder()), "/srv/casa");
  unsetenv("INTEGRADOR_HOME");
  EXPECT_EQ(integrador::HomeFolder(), integrador::ExecutableFolder());
}

}  // namespace
