-- Demo data, loaded after database.sql. It points the integration at the
-- local API stand-in and gives the master data that the demo config.json and
-- the stand-in's records use. Safe to run again.

UPDATE vorna_mat.integracao_api
   SET url = 'http://127.0.0.1:18080/', token = 'demo'
 WHERE nome = 'Quelora';

UPDATE vorna_mat.integracao_recurso
   SET stored_procedure = 'api/abastecimentos'
 WHERE id_integracao_recurso = 1;

-- Asset 1 with an active vehicle whose plate holds a blank; asset 2 with an
-- inactive one.
INSERT INTO vorna_fis.bem (id_bem, descricao, codigo_bem) VALUES
  (1, 'CAMINHAO BAU 01', 7001),
  (2, 'CAMINHAO TANQUE 02', 7002)
  ON CONFLICT DO NOTHING;

INSERT INTO vorna_fro.equipamento (id_equipamento, id_bem, numero_placa, ativo_inativo) VALUES
  (1, 1, 'ABC 1D23', 'A'),
  (2, 2, 'XYZ9876', 'I')
  ON CONFLICT DO NOTHING;

-- 50012 never blocked; 50013 blocked; 50014 blocked and then freed.
INSERT INTO vorna_mat.material (codigo_material, descricao) VALUES
  (50012, 'OLEO DIESEL S10'),
  (50013, 'GASOLINA COMUM'),
  (50014, 'ETANOL HIDRATADO')
  ON CONFLICT DO NOTHING;

INSERT INTO vorna_mat.historico_bloqueio_material
  (id_historico_bloqueio_material, codigo_material, tipo) VALUES
  (1, 50013, 'B'),
  (2, 50014, 'B'),
  (3, 50014, 'D')
  ON CONFLICT DO NOTHING;
