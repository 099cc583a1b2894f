-- vorna_fro.db, attached as vorna_fro: the ERP's vehicles. Read only by the
-- integrator; starts empty on a new installation. Safe to run again.
CREATE TABLE IF NOT EXISTS vorna_fro.equipamento (
  id_equipamento INTEGER PRIMARY KEY,
  id_bem         INTEGER NOT NULL,
  numero_placa   TEXT NOT NULL,
  ativo_inativo  TEXT NOT NULL DEFAULT 'A'  -- 'A' active
);

-- Plates are compared with their blanks removed.
CREATE INDEX IF NOT EXISTS vorna_fro.ix_equip_placa
  ON equipamento (replace(numero_placa, ' ', ''));
