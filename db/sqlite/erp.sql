-- Main file (erp.db) of an embedded database.
-- Holds only the schema version, so later releases can tell which changes
-- an existing database still needs. Run it after vorna_mat.sql, vorna_fis.sql
-- and vorna_fro.sql: a version row then means all three files are complete.
-- Safe to run again.
CREATE TABLE IF NOT EXISTS main.esquema (
  versao INTEGER NOT NULL
);

INSERT INTO main.esquema (versao)
  SELECT 1 WHERE NOT EXISTS (SELECT 1 FROM main.esquema);
