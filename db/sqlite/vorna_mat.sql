-- vorna_mat.db, attached as vorna_mat: the integration tables, the requisition
-- tables, materials and the sequences. Every write of the integrator lands in
-- this file alone. Safe to run again: existing rows are left as they are.
--
-- Needs the connection's registered function vorna_sysdate() (the program's
-- clock) for the seed's next-run time.
--
-- Time stamps are stored as 'YYYY-MM-DD HH:MM:SS' text.

CREATE TABLE IF NOT EXISTS vorna_mat.integracao_api (
  id_integracao_api INTEGER PRIMARY KEY,
  nome              TEXT NOT NULL UNIQUE,
  url               TEXT,
  token             TEXT
);

CREATE TABLE IF NOT EXISTS vorna_mat.integracao_recurso (
  id_integracao_recurso INTEGER PRIMARY KEY,
  id_integracao_api     INTEGER NOT NULL REFERENCES integracao_api (id_integracao_api),
  stored_procedure      TEXT,
  nome_recurso          TEXT,
  ponteiro_integracao   TEXT,                       -- next run, 'dd/mm/yyyy hh:nn:ss'
  frequencia            INTEGER,                    -- minutes
  ultima_mensagem       TEXT,
  carga_inicial         INTEGER NOT NULL DEFAULT 0, -- busy flag
  inicio_consulta       TEXT CHECK (length(inicio_consulta) <= 19)
                        -- the next request's window, 'dd/mm/yyyy hh:nn:ss'
);

-- id_quelora stays the first column: the grid's statement orders by column 1.
-- The text columns have the server's widths, so that both engines refuse the
-- same values.
CREATE TABLE IF NOT EXISTS vorna_mat.quelora (
  id_quelora          INTEGER PRIMARY KEY,
  order_id            TEXT NOT NULL CHECK (length(order_id) <= 64),
  status_integracao   TEXT NOT NULL CHECK (length(status_integracao) <= 20),
  data_processamento  TIMESTAMP,
  data_inicio         TIMESTAMP,
  data_fim            TIMESTAMP,
  codigo_empresa      INTEGER,
  quantidade          NUMERIC,
  json_arquivo        TEXT,
  km                  NUMERIC,
  placa               TEXT CHECK (length(placa) <= 20),
  codigo_material     INTEGER,
  erro_integracao     INTEGER NOT NULL DEFAULT 0,
  log_erro_integracao TEXT CHECK (length(log_erro_integracao) <= 4000),
  id_requisicao       INTEGER,
  ano_requisicao      INTEGER,
  numero_requisicao   INTEGER
);

-- One staging row per platform order, even with two runs at once.
CREATE UNIQUE INDEX IF NOT EXISTS vorna_mat.ux_quelora_order_id
  ON quelora (order_id);
CREATE INDEX IF NOT EXISTS vorna_mat.ix_quelora_data_inicio
  ON quelora (data_inicio);
CREATE INDEX IF NOT EXISTS vorna_mat.ix_quelora_status
  ON quelora (status_integracao, erro_integracao);

CREATE TABLE IF NOT EXISTS vorna_mat.requisicao (
  id_requisicao            INTEGER PRIMARY KEY,
  ano_requisicao           INTEGER NOT NULL,
  numero_requisicao        INTEGER NOT NULL,
  data                     TIMESTAMP NOT NULL,
  autorizante              TEXT,
  retirante                TEXT,
  solicitante              TEXT,
  usuario_criacao          TEXT,
  usuario_alteracao        TEXT,
  atendida                 INTEGER NOT NULL DEFAULT 0,
  documento                TEXT,
  documento_integracao     TEXT,
  tipo_requisicao          TEXT NOT NULL,
  uso_interno              TEXT,
  codigo_funcionario       INTEGER,
  observacoes              TEXT,
  data_criacao             TIMESTAMP,
  data_alteracao           TIMESTAMP,
  codigo_empresa           INTEGER NOT NULL,
  automatico               INTEGER NOT NULL DEFAULT 0,
  recepcionada             INTEGER NOT NULL DEFAULT 0,
  codigo_tipo_movimentacao INTEGER,
  UNIQUE (ano_requisicao, numero_requisicao)
);

CREATE TABLE IF NOT EXISTS vorna_mat.item_requisicao (
  ano_requisicao              INTEGER NOT NULL,
  numero_requisicao           INTEGER NOT NULL,
  codigo_material             INTEGER NOT NULL,
  codigo_almoxarifado         INTEGER NOT NULL,
  codigo_empenho              INTEGER,
  quantidade_digitada_ret     NUMERIC NOT NULL,
  codigo_unidade_digitada_ret TEXT NOT NULL,
  id_bem                      INTEGER,
  PRIMARY KEY (ano_requisicao, numero_requisicao, codigo_material),
  FOREIGN KEY (ano_requisicao, numero_requisicao)
    REFERENCES requisicao (ano_requisicao, numero_requisicao)
);

CREATE TABLE IF NOT EXISTS vorna_mat.material (
  codigo_material INTEGER PRIMARY KEY,
  descricao       TEXT NOT NULL
);

-- A view in an attached file may only name tables of its own file, unqualified.
CREATE VIEW IF NOT EXISTS vorna_mat.v_material AS
  SELECT codigo_material, descricao FROM material;

CREATE TABLE IF NOT EXISTS vorna_mat.historico_bloqueio_material (
  id_historico_bloqueio_material INTEGER PRIMARY KEY,
  codigo_material                INTEGER NOT NULL,
  tipo                           TEXT NOT NULL  -- 'B' blocked; another letter unblocked
);

CREATE INDEX IF NOT EXISTS vorna_mat.ix_hbm
  ON historico_bloqueio_material (codigo_material, id_historico_bloqueio_material);

-- SQLite has no sequences: one row per sequence, keyed by its full name.
CREATE TABLE IF NOT EXISTS vorna_mat.sequencia (
  nome  TEXT PRIMARY KEY,
  valor INTEGER NOT NULL
);

-- Seed: the least a run needs to start. The platform's address and token
-- belong to the installation and are set by the operator. The next-run time
-- is the creation time, so the first run is due at once.
INSERT OR IGNORE INTO vorna_mat.integracao_api (id_integracao_api, nome, url, token)
  VALUES (1, 'Quelora', '', '');

INSERT OR IGNORE INTO vorna_mat.integracao_recurso
  (id_integracao_recurso, id_integracao_api, stored_procedure, nome_recurso,
   ponteiro_integracao, frequencia, ultima_mensagem, carga_inicial)
  VALUES (1, 1, '', 'abastecimentos',
          strftime('%d/%m/%Y %H:%M:%S', vorna_sysdate()), 60, NULL, 0);

INSERT OR IGNORE INTO vorna_mat.sequencia (nome, valor) VALUES
  ('vorna_mat.sq_quelora', 0),
  ('vorna_mat.sq_numero_requisicao', 0),
  ('vorna_mat.sq_id_requisicao', 0);
