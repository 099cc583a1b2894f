-- vorna_fis.db, attached as vorna_fis: the ERP's assets. Read only by the
-- integrator; starts empty on a new installation. Safe to run again.
CREATE TABLE IF NOT EXISTS vorna_fis.bem (
  id_bem     INTEGER PRIMARY KEY,
  descricao  TEXT,
  codigo_bem INTEGER NOT NULL
);
