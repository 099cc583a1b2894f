-- The ERP's objects that the integrator uses, for one PostgreSQL database.
-- Run by the database's owner after cluster.sql (the grants need vorna_user),
-- without parameter parsing (the function bodies hold '$$'). Safe to run
-- again: existing objects and rows are left as they are.

CREATE SCHEMA IF NOT EXISTS vorna_mat;
CREATE SCHEMA IF NOT EXISTS vorna_fis;
CREATE SCHEMA IF NOT EXISTS vorna_fro;
CREATE SCHEMA IF NOT EXISTS vorna;      -- equivalents of the ERP's procedures

-- Integration -----------------------------------------------------------------

CREATE TABLE IF NOT EXISTS vorna_mat.integracao_api (
  id_integracao_api integer PRIMARY KEY,
  nome              varchar(100) NOT NULL UNIQUE,
  url               varchar(500),
  token             varchar(500)
);

CREATE TABLE IF NOT EXISTS vorna_mat.integracao_recurso (
  id_integracao_recurso integer PRIMARY KEY,
  id_integracao_api     integer NOT NULL REFERENCES vorna_mat.integracao_api (id_integracao_api),
  stored_procedure      varchar(200),
  nome_recurso          varchar(100),
  ponteiro_integracao   varchar(19),                 -- next run, 'dd/mm/yyyy hh:nn:ss'
  frequencia            integer,                     -- minutes
  ultima_mensagem       varchar(4000),
  carga_inicial         smallint NOT NULL DEFAULT 0, -- busy flag
  inicio_consulta       varchar(19)                  -- the next request's window, 'dd/mm/yyyy hh:nn:ss'
);
-- Databases loaded before the window was kept apart from the next-run time.
ALTER TABLE vorna_mat.integracao_recurso ADD COLUMN IF NOT EXISTS inicio_consulta varchar(19);

-- id_quelora stays the first column: the grid's statement orders by column 1.
CREATE TABLE IF NOT EXISTS vorna_mat.quelora (
  id_quelora          bigint PRIMARY KEY,
  order_id            varchar(64) NOT NULL UNIQUE,  -- one row per platform order
  status_integracao   varchar(20) NOT NULL,
  data_processamento  timestamp(0),
  data_inicio         timestamp(0),
  data_fim            timestamp(0),
  codigo_empresa      integer,
  quantidade          numeric,
  json_arquivo        text,
  km                  numeric,
  placa               varchar(20),
  codigo_material     bigint,
  erro_integracao     smallint NOT NULL DEFAULT 0,
  log_erro_integracao varchar(4000),
  id_requisicao       bigint,
  ano_requisicao      integer,
  numero_requisicao   bigint
);

CREATE INDEX IF NOT EXISTS ix_quelora_data_inicio
  ON vorna_mat.quelora (data_inicio);
CREATE INDEX IF NOT EXISTS ix_quelora_status
  ON vorna_mat.quelora (status_integracao, erro_integracao);

-- Requisitions ----------------------------------------------------------------

CREATE TABLE IF NOT EXISTS vorna_mat.requisicao (
  id_requisicao            bigint PRIMARY KEY,
  ano_requisicao           integer NOT NULL,
  numero_requisicao        bigint NOT NULL,
  data                     timestamp(0) NOT NULL,
  autorizante              varchar(30),
  retirante                varchar(30),
  solicitante              varchar(30),
  usuario_criacao          varchar(30),
  usuario_alteracao        varchar(30),
  atendida                 smallint NOT NULL DEFAULT 0,
  documento                varchar(64),
  documento_integracao     varchar(64),
  tipo_requisicao          char(1) NOT NULL,
  uso_interno              varchar(20),
  codigo_funcionario       integer,
  observacoes              varchar(4000),
  data_criacao             timestamp(0),
  data_alteracao           timestamp(0),
  codigo_empresa           integer NOT NULL,
  automatico               smallint NOT NULL DEFAULT 0,
  recepcionada             smallint NOT NULL DEFAULT 0,
  codigo_tipo_movimentacao integer,
  UNIQUE (ano_requisicao, numero_requisicao)
);

CREATE TABLE IF NOT EXISTS vorna_mat.item_requisicao (
  ano_requisicao              integer NOT NULL,
  numero_requisicao           bigint NOT NULL,
  codigo_material             bigint NOT NULL,
  codigo_almoxarifado         integer NOT NULL,
  codigo_empenho              integer,
  quantidade_digitada_ret     numeric NOT NULL,
  codigo_unidade_digitada_ret varchar(5) NOT NULL,
  id_bem                      bigint,
  PRIMARY KEY (ano_requisicao, numero_requisicao, codigo_material),
  FOREIGN KEY (ano_requisicao, numero_requisicao)
    REFERENCES vorna_mat.requisicao (ano_requisicao, numero_requisicao)
);

-- Materials -------------------------------------------------------------------

CREATE TABLE IF NOT EXISTS vorna_mat.material (
  codigo_material bigint PRIMARY KEY,
  descricao       varchar(200) NOT NULL
);

CREATE OR REPLACE VIEW vorna_mat.v_material AS
  SELECT codigo_material, descricao FROM vorna_mat.material;

CREATE TABLE IF NOT EXISTS vorna_mat.historico_bloqueio_material (
  id_historico_bloqueio_material bigint PRIMARY KEY,
  codigo_material                bigint NOT NULL,
  tipo                           varchar(1) NOT NULL  -- 'B' blocked; another letter unblocked
);

CREATE INDEX IF NOT EXISTS ix_hbm
  ON vorna_mat.historico_bloqueio_material (codigo_material, id_historico_bloqueio_material);

-- Assets and vehicles (read only) ----------------------------------------------

CREATE TABLE IF NOT EXISTS vorna_fis.bem (
  id_bem     integer PRIMARY KEY,
  descricao  varchar(200),
  codigo_bem integer NOT NULL
);

CREATE TABLE IF NOT EXISTS vorna_fro.equipamento (
  id_equipamento integer PRIMARY KEY,
  id_bem         integer NOT NULL,
  numero_placa   varchar(20) NOT NULL,
  ativo_inativo  varchar(1) NOT NULL DEFAULT 'A'  -- 'A' active
);

-- Plates are compared with their blanks removed.
CREATE INDEX IF NOT EXISTS ix_equip_placa
  ON vorna_fro.equipamento (replace(numero_placa, ' ', ''));

-- Sequences -------------------------------------------------------------------

CREATE SEQUENCE IF NOT EXISTS vorna_mat.sq_quelora;
CREATE SEQUENCE IF NOT EXISTS vorna_mat.sq_numero_requisicao;
CREATE SEQUENCE IF NOT EXISTS vorna_mat.sq_id_requisicao;

-- Session procedures ------------------------------------------------------------

-- The ERP's language settings: dates read day first; output stays ISO, which
-- is what the client parses.
CREATE OR REPLACE FUNCTION vorna.set_nls_parameters() RETURNS void
  LANGUAGE plpgsql AS $$
BEGIN
  PERFORM set_config('DateStyle', 'ISO, DMY', false);
END
$$;

-- The ERP's company selection: kept for the session, readable with
-- current_setting('vorna.empresa', true).
CREATE OR REPLACE FUNCTION vorna.pkg_vorna_set_empresa(p_empresa numeric) RETURNS void
  LANGUAGE plpgsql AS $$
BEGIN
  PERFORM set_config('vorna.empresa', coalesce(CAST(p_empresa AS text), ''), false);
END
$$;

-- Grants -------------------------------------------------------------------------

GRANT USAGE ON SCHEMA vorna_mat, vorna_fis, vorna_fro, vorna TO vorna_user;
GRANT SELECT ON ALL TABLES IN SCHEMA vorna_fis, vorna_fro TO vorna_user;
GRANT SELECT, INSERT, UPDATE ON ALL TABLES IN SCHEMA vorna_mat TO vorna_user;
GRANT USAGE ON ALL SEQUENCES IN SCHEMA vorna_mat TO vorna_user;
GRANT EXECUTE ON ALL FUNCTIONS IN SCHEMA vorna TO vorna_user;

-- Seed: the least a run needs to start. The platform's address and token
-- belong to the installation and are set by the operator. The next-run time
-- is the creation time, so the first run is due at once.
INSERT INTO vorna_mat.integracao_api (id_integracao_api, nome, url, token)
  VALUES (1, 'Quelora', '', '')
  ON CONFLICT DO NOTHING;

INSERT INTO vorna_mat.integracao_recurso
  (id_integracao_recurso, id_integracao_api, stored_procedure, nome_recurso,
   ponteiro_integracao, frequencia, ultima_mensagem, carga_inicial)
  VALUES (1, 1, '', 'abastecimentos',
          to_char(localtimestamp(0), 'DD/MM/YYYY HH24:MI:SS'), 60, NULL, 0)
  ON CONFLICT DO NOTHING;
