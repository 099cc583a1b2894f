#pragma once
// The configuration file that matches the demo data (db/demo/config.json):
// the site's parameters, and fuel code 1 as material 50012.
namespace testing_support {

inline constexpr char kDemoConfigJson[] =
    R"({"Parametros": {"CodigoEmpresa": 17, "Solicitante": 1234, "Movimentacao": 5,
  "Almoxarifado": 1, "ContaContabil": 3001, "CodigoPosto": 10, "CodigoEmpresaQuelora": 99},
  "Materiais": [{"CodigoQuelora": 1, "DescricaoQuelora": "DIESEL S10", "CodigoMardova": 50012}]})";

}  // namespace testing_support
