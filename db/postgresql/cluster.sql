-- Cluster-wide objects, run once per PostgreSQL cluster by a superuser
-- (or a role with CREATEROLE) before database.sql. Safe to run again.
--
-- vorna_user holds every grant of the integrator's tables. It cannot log in:
-- each installation creates its own login role as a member, e.g.
--   CREATE ROLE "VORNA$ADMIN" LOGIN PASSWORD '...' IN ROLE vorna_user;
-- The member inherits the grants, and SET ROLE vorna_user needs no password.
DO $$
BEGIN
  IF NOT EXISTS (SELECT 1 FROM pg_catalog.pg_roles WHERE rolname = 'vorna_user') THEN
    CREATE ROLE vorna_user NOLOGIN;
  ELSE
    ALTER ROLE vorna_user NOLOGIN;
  END IF;
END
$$;
