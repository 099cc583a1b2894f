#!/usr/bin/env python3
"""Runs every statement of db/statements.json on both engines against the
seeded schema with the demo data, and checks the results.

SQLite: the four files of an embedded database in a temporary folder, attached
as the program does, with stand-ins for the functions the program's driver
registers. PostgreSQL: libpq through ctypes, each statement prepared with $n
parameters sent untyped as text (as the driver sends them) and executed; on a
server given by PGHOST/PGPORT/PGUSER (a superuser, for the scratch database
and role it creates and drops), or else on a private cluster that the script
starts in a temporary folder and stops again. PG_TEST_ENV may name a file of
PG...=value lines (the test fixture's) to read those settings from; the
fixture's superuser is reached through the socket folder that
PG_TEST_SUPERUSER_HOST names there.

Also checks that app/run/statement_catalogue_table.inc is current.

    python3 db/check_statements.py [--sqlite-only | --postgres-only] [--keep]

Exit status 0 when every check passed (and at least one ran). The last line
reads "N passed, N failed". With --postgres-only and PG_TEST_ENV set but no
server's settings in its file (the test server could not be started), the
exit status is 77, a skip, unless CI or REQUIRE_POSTGRES=1 is set: then 1.
"""

import argparse
import ctypes
import ctypes.util
import datetime
import json
import os
import re
import shutil
import socket
import sqlite3
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DB = os.path.join(ROOT, "db")

# The SQLite stand-in clock; PostgreSQL's is the server's own.
FIXED_NOW = "2025-06-27 10:30:00"
LOGIN_USER = "vorna_check"


def load_statements():
    with open(os.path.join(DB, "statements.json"), encoding="utf-8") as f:
        data = json.load(f)
    out = {}
    for s in data["statements"]:
        entry = dict(s)
        for key in ("oracle", "sqlite", "postgresql"):
            if isinstance(entry[key], list):
                entry[key] = "\n".join(entry[key])
        out[s["name"]] = entry
    return out


# --- the parameter scanner the PostgreSQL driver needs ---------------------

def to_dollar_params(sql, spelled=None):
    """':name' becomes '$n' (one n per name, case ignored); quotes, comments
    and '::' are left alone. Returns (text, [names in $n order]); `spelled`,
    when given, collects the names as written."""
    out, names, i, n = [], [], 0, len(sql)
    while i < n:
        c = sql[i]
        if c in "'\"":
            j = i + 1
            while j < n:
                if sql[j] == c:
                    if j + 1 < n and sql[j + 1] == c:
                        j += 2
                        continue
                    break
                j += 1
            out.append(sql[i:j + 1])
            i = j + 1
        elif sql.startswith("--", i):
            j = sql.find("\n", i)
            j = n if j < 0 else j
            out.append(sql[i:j])
            i = j
        elif sql.startswith("/*", i):
            j = sql.find("*/", i + 2)
            j = n if j < 0 else j + 2
            out.append(sql[i:j])
            i = j
        elif sql.startswith("::", i):
            out.append("::")
            i += 2
        elif c == ":" and i + 1 < n and (sql[i + 1].isalpha() or sql[i + 1] == "_"):
            j = i + 1
            while j < n and (sql[j].isalnum() or sql[j] == "_"):
                j += 1
            name = sql[i + 1:j].lower()
            if spelled is not None:
                spelled.append(sql[i + 1:j])
            if name not in names:
                names.append(name)
            out.append("$%d" % (names.index(name) + 1))
            i = j
        else:
            out.append(c)
            i += 1
    return "".join(out), names


def sql_params(sql):
    return to_dollar_params(sql)[1]


# --- results, common to both engines ---------------------------------------

class Result:
    def __init__(self, columns, rows, rowcount):
        self.columns = [c.lower() for c in columns]
        self.rows = rows  # lists of text or None
        self.rowcount = rowcount

    def dicts(self):
        return [dict(zip(self.columns, r)) for r in self.rows]


def as_text(v):
    if v is None:
        return None
    if isinstance(v, float):
        return ("%r" % v).rstrip("0").rstrip(".") if "." in "%r" % v else "%r" % v
    return str(v)


def num(text):
    return None if text is None else float(text)


# --- SQLite -----------------------------------------------------------------

def sqlite_to_date(text, fmt):
    if text is None:
        return None
    if fmt.lower() != "dd/mm/yyyy hh24:mi:ss":
        raise ValueError("to_date: formato não suportado: %s" % fmt)
    if not re.fullmatch(r"\d\d/\d\d/\d{4} \d\d:\d\d:\d\d", text):
        raise ValueError("to_date: data inválida: %s" % text)
    return datetime.datetime.strptime(text, "%d/%m/%Y %H:%M:%S").strftime("%Y-%m-%d %H:%M:%S")


class SqliteEngine:
    name = "sqlite"

    def __init__(self, folder, user):
        self.calls = []
        self.empresa = None
        c = sqlite3.connect(os.path.join(folder, "erp.db"), isolation_level=None)
        for schema in ("vorna_mat", "vorna_fis", "vorna_fro"):
            c.execute("ATTACH ? AS %s" % schema, (os.path.join(folder, schema + ".db"),))
        for schema in ("main", "vorna_mat", "vorna_fis", "vorna_fro"):
            c.execute("PRAGMA %s.journal_mode=WAL" % schema)
            c.execute("PRAGMA %s.synchronous=FULL" % schema)
        c.execute("PRAGMA foreign_keys=ON")
        c.execute("PRAGMA busy_timeout=5000")
        c.create_function("vorna_sysdate", 0, lambda: FIXED_NOW)
        c.create_function("vorna_session_user", 0, lambda: user)
        c.create_function("vorna_set_role", 1, lambda r: self.calls.append(("role", r)))
        c.create_function("vorna_set_nls_parameters", 0, lambda: self.calls.append(("nls",)))
        c.create_function("vorna_set_empresa", 1, self._set_empresa)
        c.create_function("to_date", 2, sqlite_to_date)
        self.c = c

    def _set_empresa(self, value):
        # Text that is no number fails, as the database's conversion does.
        self.empresa = None if value is None else float(value)
        self.calls.append(("empresa", self.empresa))

    def script(self, path):
        with open(path, encoding="utf-8") as f:
            self.c.executescript(f.read())

    def execute(self, sql, params):
        cur = self.c.execute(sql, params)
        rows = [[as_text(v) for v in r] for r in cur.fetchall()]
        cols = [d[0] for d in cur.description] if cur.description else []
        return Result(cols, rows, cur.rowcount)

    def close(self):
        self.c.close()


# --- PostgreSQL through libpq ------------------------------------------------

class Libpq:
    def __init__(self):
        path = ctypes.util.find_library("pq") or "libpq.so.5"
        lib = ctypes.CDLL(path)
        vp, cp, i = ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int
        sig = {
            "PQconnectdb": (vp, [cp]), "PQstatus": (i, [vp]), "PQerrorMessage": (cp, [vp]),
            "PQfinish": (None, [vp]), "PQexec": (vp, [vp, cp]),
            "PQprepare": (vp, [vp, cp, cp, i, vp]),
            "PQexecPrepared": (vp, [vp, cp, i, ctypes.POINTER(cp), vp, vp, i]),
            "PQresultStatus": (i, [vp]), "PQresultErrorMessage": (cp, [vp]),
            "PQclear": (None, [vp]), "PQntuples": (i, [vp]), "PQnfields": (i, [vp]),
            "PQfname": (cp, [vp, i]), "PQgetvalue": (cp, [vp, i, i]),
            "PQgetisnull": (i, [vp, i, i]), "PQcmdTuples": (cp, [vp]),
        }
        for name, (res, args) in sig.items():
            f = getattr(lib, name)
            f.restype, f.argtypes = res, args
        self.lib = lib


class PgError(Exception):
    pass


class PostgresEngine:
    name = "postgresql"

    def __init__(self, libpq, conninfo):
        self.pq = libpq.lib
        self.conn = self.pq.PQconnectdb(conninfo.encode())
        if self.pq.PQstatus(self.conn) != 0:
            raise PgError(self.pq.PQerrorMessage(self.conn).decode())
        self.counter = 0

    def _result(self, res):
        st = self.pq.PQresultStatus(res)
        try:
            if st not in (1, 2):  # COMMAND_OK, TUPLES_OK
                raise PgError(self.pq.PQresultErrorMessage(res).decode().strip())
            nf, nt = self.pq.PQnfields(res), self.pq.PQntuples(res)
            cols = [self.pq.PQfname(res, k).decode() for k in range(nf)]
            rows = [[None if self.pq.PQgetisnull(res, r, k) else self.pq.PQgetvalue(res, r, k).decode()
                     for k in range(nf)] for r in range(nt)]
            ct = self.pq.PQcmdTuples(res).decode()
            return Result(cols, rows, int(ct) if ct else -1)
        finally:
            self.pq.PQclear(res)

    def command(self, sql):
        return self._result(self.pq.PQexec(self.conn, sql.encode()))

    def script(self, path):
        with open(path, encoding="utf-8") as f:
            self.command(f.read())

    def execute(self, sql, params):
        text, names = to_dollar_params(sql)
        self.counter += 1
        stmt = ("chk%d" % self.counter).encode()
        self._result(self.pq.PQprepare(self.conn, stmt, text.encode(), len(names), None))
        try:
            values = (ctypes.c_char_p * max(1, len(names)))()
            for k, name in enumerate(names):
                v = params[name]
                values[k] = None if v is None else str(v).encode()
            return self._result(self.pq.PQexecPrepared(self.conn, stmt, len(names), values, None, None, 0))
        finally:
            self.command("DEALLOCATE " + stmt.decode())

    def close(self):
        self.pq.PQfinish(self.conn)


class PrivateCluster:
    """A throw-away PostgreSQL cluster on a free port of 127.0.0.1."""

    def __init__(self):
        self.dir = tempfile.mkdtemp(prefix="check-statements-pg-")
        self.as_postgres = os.geteuid() == 0
        if self.as_postgres:
            shutil.chown(self.dir, "postgres", "postgres")
        s = socket.socket()
        s.bind(("127.0.0.1", 0))
        self.port = s.getsockname()[1]
        s.close()
        data = os.path.join(self.dir, "data")
        self._run(["initdb", "-D", data, "-A", "trust", "-U", "postgres", "--no-sync"])
        self._run(["pg_ctl", "-D", data, "-w", "-l", os.path.join(self.dir, "log"), "-o",
                   "-p %d -k %s -c listen_addresses=127.0.0.1 -c fsync=off" % (self.port, self.dir), "start"])
        self.data = data

    def _run(self, argv):
        bindir = "/usr/lib/postgresql/15/bin"
        if os.path.isdir(bindir) and not shutil.which(argv[0]):
            argv = [os.path.join(bindir, argv[0])] + argv[1:]
        if self.as_postgres:
            argv = ["su", "postgres", "-s", "/bin/sh", "-c", " ".join("'%s'" % a for a in argv)]
        subprocess.run(argv, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def stop(self):
        try:
            self._run(["pg_ctl", "-D", self.data, "-m", "fast", "-w", "stop"])
        finally:
            shutil.rmtree(self.dir, ignore_errors=True)


# --- the checks -------------------------------------------------------------

class Checker:
    def __init__(self):
        self.passed = 0
        self.failed = 0

    def ok(self, label, cond, detail=""):
        if cond:
            self.passed += 1
        else:
            self.failed += 1
            print("FAIL %s %s" % (label, detail))

    def raises(self, label, fn):
        try:
            fn()
        except Exception:  # noqa: BLE001 - any database error is the expected outcome
            self.passed += 1
            return
        self.failed += 1
        print("FAIL %s: no error" % label)


TS = re.compile(r"\d{4}-\d\d-\d\d \d\d:\d\d:\d\d$")
PTR = re.compile(r"\d\d/\d\d/\d{4} \d\d:\d\d:\d\d$")

QUELORA_COLUMNS = [
    "id_quelora", "order_id", "status_integracao", "data_processamento", "data_inicio", "data_fim",
    "codigo_empresa", "quantidade", "json_arquivo", "km", "placa", "codigo_material",
    "erro_integracao", "log_erro_integracao", "id_requisicao", "ano_requisicao", "numero_requisicao"]
REQUISICAO_COLUMNS = [
    "id_requisicao", "ano_requisicao", "numero_requisicao", "data", "autorizante", "retirante",
    "solicitante", "usuario_criacao", "usuario_alteracao", "atendida", "documento",
    "documento_integracao", "tipo_requisicao", "uso_interno", "codigo_funcionario", "observacoes",
    "data_criacao", "data_alteracao", "codigo_empresa", "automatico", "recepcionada",
    "codigo_tipo_movimentacao"]
ITEM_COLUMNS = [
    "ano_requisicao", "numero_requisicao", "codigo_material", "codigo_almoxarifado",
    "codigo_empenho", "quantidade_digitada_ret", "codigo_unidade_digitada_ret", "id_bem"]

# Rows the cases below rely on, beyond the seed and the demo data. Plain SQL
# that both engines take. Staging rows go in out of key order, so that a
# statement that must sort cannot pass by the table's physical order.
FIXTURE = [
    "INSERT INTO vorna_mat.quelora (id_quelora, order_id, status_integracao, data_processamento, data_inicio,"
    " data_fim, codigo_empresa, quantidade, km, placa, codigo_material, erro_integracao) VALUES"
    " (2, 'A2', 'Pendente', '2025-06-27 10:00:00', '2025-06-27 00:00:00', '2025-06-27 00:05:00', 17, 10, NULL, 'ABC1D23', 50012, 0),"
    " (1, 'A1', 'Pendente', '2025-06-27 10:00:00', '2025-06-20 00:00:00', '2025-06-20 00:05:00', 17, 45.5, 1200.7, 'ABC1D23', 50012, 0),"
    " (3, 'A3', 'Pendente', '2025-06-27 10:00:00', '2025-06-27 15:45:10', '2025-06-27 15:50:00', 17, 20, 10, 'QQQ0000', 50012, 1),"
    " (4, 'A4', 'Finalizado', '2025-06-28 10:00:00', '2025-06-28 00:00:00', '2025-06-28 00:05:00', 17, 30, 10, 'ABC1D23', 50012, 0),"
    " (5, 'A5', 'Requisição', '2025-06-27 10:00:00', '2025-06-19 23:59:59', '2025-06-20 00:01:00', 17, 40, 10, 'ABC1D23', 50012, 0)",
    "INSERT INTO vorna_mat.requisicao (id_requisicao, ano_requisicao, numero_requisicao, data, tipo_requisicao,"
    " codigo_empresa, documento, documento_integracao) VALUES"
    " (77, 2025, 12, '2025-06-27 10:31:00', 'S', 17, 'A1', 'A1')",
    "INSERT INTO vorna_mat.item_requisicao VALUES (2025, 12, 50012, 1, 3001, 45.5, 'L', 1)",
    "INSERT INTO vorna_fis.bem (id_bem, descricao, codigo_bem) VALUES"
    " (3, 'SEM PLACA', 7003), (4, 'CAMINHAO COM UMA DESCRICAO BEM MAIS LONGA QUE QUARENTA LETRAS', 7004)",
    "INSERT INTO vorna_fro.equipamento (id_equipamento, id_bem, numero_placa, ativo_inativo) VALUES"
    " (3, 3, ' ', 'A'), (4, 4, 'LNG0001', 'A')",
]


def quelora_ids(r):
    return [int(d["id_quelora"]) for d in r.dicts()]


def run_cases(chk, eng, login, plain, st):
    """One table of cases, in order (some change what later ones read)."""
    E = eng  # engine name: "sqlite" or "postgresql"

    def run(name, conn=None, **params):
        sql = st[name][E]
        names = sql_params(sql)
        missing = [n for n in names if n not in {k.lower() for k in params}]
        assert not missing, "%s: no value for %s" % (name, missing)
        lowered = {k.lower(): v for k, v in params.items()}
        if E == "sqlite":
            # SQLite takes :name itself; the names keep their case in the text.
            spelled = []
            to_dollar_params(sql, spelled)
            bound = {name: lowered[name.lower()] for name in spelled}
            return (conn or plain).execute(sql, bound)
        return (conn or plain).execute(sql, lowered)

    def label(name, what):
        return "%s %s: %s" % (E, name, what)

    # Session set-up on the login connection, in order; then the rest of the
    # login connection runs under the role.
    run("SessionSetRole", login)
    run("SessionSetNlsParameters", login)
    run("SessionSetEmpresa", login, empresa=17.0 if E == "sqlite" else "17")
    if E == "postgresql":
        r = login.command("select current_user, session_user, current_setting('vorna.empresa', true),"
                          " current_setting('DateStyle')")
        chk.ok(label("session set-up", "role, company, DateStyle"),
               r.rows == [["vorna_user", LOGIN_USER, "17", "ISO, DMY"]], r.rows)
    else:
        chk.ok(label("session set-up", "calls in order"),
               login.calls == [("role", "VORNA_USER"), ("nls",), ("empresa", 17.0)], login.calls)

    run("qryConectaEmpresa", login, EMPRESA="18")
    if E == "postgresql":
        r = login.command("select current_setting('vorna.empresa', true)")
        chk.ok(label("qryConectaEmpresa", "'18' stored"), r.rows == [["18"]], r.rows)
    else:
        chk.ok(label("qryConectaEmpresa", "'18' stored"), login.empresa == 18.0, login.empresa)
    chk.raises(label("qryConectaEmpresa", "'ABC' fails"), lambda: run("qryConectaEmpresa", login, EMPRESA="ABC"))
    run("qryConectaEmpresa", login, EMPRESA=None)  # empty text is NULL: accepted

    # Grid: the whole end day is in; the day after and the day before are out.
    period = dict(data_inicio="2025-06-20 00:00:00", data_fim="2025-06-27 00:00:00")
    for flag, want in ((1, [3, 2, 1]), (0, [2, 1]), (None, [2, 1])):
        r = run("qryQuelora", erro_integracao=flag, **period)
        chk.ok(label("qryQuelora", "erro_integracao=%r" % flag), quelora_ids(r) == want, quelora_ids(r))
    r = run("qryQuelora", data_inicio="2025-06-20 13:00:00", data_fim="2025-06-27 08:00:00", erro_integracao=1)
    chk.ok(label("qryQuelora", "bounds with a time of day"), quelora_ids(r) == [3, 2, 1], quelora_ids(r))
    r = run("qryQuelora", data_inicio="2025-06-28 00:00:00", data_fim="2025-06-28 00:00:00", erro_integracao=0)
    d = r.dicts()
    chk.ok(label("qryQuelora", "one day; columns in table order"),
           quelora_ids(r) == [4] and r.columns == QUELORA_COLUMNS, (r.columns, r.rows))
    r = run("qryQuelora", erro_integracao=0, **period)
    d = {int(x["id_quelora"]): x for x in r.dicts()}
    chk.ok(label("qryQuelora", "numeric quantidade and km"),
           num(d[1]["quantidade"]) == 45.5 and num(d[1]["km"]) == 1200.7 and d[2]["km"] is None, d[1])
    chk.ok(label("qryQuelora", "time stamps as ISO text"), d[2]["data_inicio"] == "2025-06-27 00:00:00", d[2])

    # Scheduler: read the flag, take it once, clear it once.
    r = run("qryConsultaIntegracao", id_integracao_recurso=1)
    chk.ok(label("qryConsultaIntegracao", "flag 0 and a pointer"),
           len(r.rows) == 1 and r.dicts()[0]["ativo"] == "0" and PTR.match(r.dicts()[0]["ponteiro_integracao"] or ""),
           r.rows)
    for value, want in ((1, 1), (1, 0), (0, 1), (0, 0)):
        r = run("qryUpdateSemaforo", carga_inicial=value, id_integracao_recurso=1)
        chk.ok(label("qryUpdateSemaforo", "set %d -> %d rows" % (value, want)), r.rowcount == want, r.rowcount)
    r = run("qryUpdateSemaforo", carga_inicial=1, id_integracao_recurso=99)
    chk.ok(label("qryUpdateSemaforo", "unknown resource"), r.rowcount == 0, r.rowcount)

    r = run("qryUpdateSemaforoThread", carga_inicial=0, ponteiro_integracao="27/06/2025 09:15:00",
            id_integracao_recurso=1)
    chk.ok(label("qryUpdateSemaforoThread", "one row"), r.rowcount == 1, r.rowcount)

    r = run("qryBuscaCNPJ", login)
    d = r.dicts()
    chk.ok(label("qryBuscaCNPJ", "the resource, next run as a time stamp"),
           len(d) == 1 and d[0]["id_integracao_recurso"] == "1" and d[0]["proxima_consulta"] == "2025-06-27 09:15:00"
           and d[0]["stored_procedure"] == "api/abastecimentos" and d[0]["frequencia"] == "60", d)
    chk.ok(label("qryBuscaCNPJ", "server clock"), len(d) == 1 and TS.match(d[0]["hora_atual"] or ""), d)
    if E == "sqlite":
        chk.ok(label("qryBuscaCNPJ", "the program's clock"), d[0]["hora_atual"] == FIXED_NOW, d)

    r = run("qryBuscaCNPJThread")
    d = r.dicts()
    chk.ok(label("qryBuscaCNPJThread", "next run plus frequency, url, token"),
           len(d) == 1 and d[0]["proxima_consulta"] == "2025-06-27 10:15:00"
           and d[0]["url"] == "http://127.0.0.1:18080/api/abastecimentos" and d[0]["token"] == "demo"
           and TS.match(d[0]["hora_atual"] or ""), d)

    # A malformed next-run time fails the read, as the original does; NULL reads as NULL.
    run("qryUpdateSemaforoThread", carga_inicial=0, ponteiro_integracao="31/02/2025 25:00:00", id_integracao_recurso=1)
    chk.raises(label("qryBuscaCNPJ", "malformed pointer fails"), lambda: run("qryBuscaCNPJ", login))
    run("qryUpdateSemaforoThread", carga_inicial=0, ponteiro_integracao=None, id_integracao_recurso=1)
    r = run("qryBuscaCNPJThread")
    chk.ok(label("qryBuscaCNPJThread", "NULL pointer"), r.dicts()[0]["proxima_consulta"] is None, r.rows)
    run("qryUpdateSemaforoThread", carga_inicial=0, ponteiro_integracao="27/06/2025 09:15:00", id_integracao_recurso=1)

    r = run("qryUser")
    d = r.dicts()
    chk.ok(label("qryUser", "login user and clock"),
           len(d) == 1 and d[0]["user"] == LOGIN_USER and TS.match(d[0]["data"] or ""), d)
    r = run("qryUser", login)
    chk.ok(label("qryUser", "login user after SET ROLE"), r.dicts()[0]["user"] == LOGIN_USER, r.rows)

    r = run("qryInsertQuelora")
    chk.ok(label("qryInsertQuelora", "empty, table's columns"), not r.rows and r.columns == QUELORA_COLUMNS, r.columns)
    r = run("qryInsertRequisicao")
    chk.ok(label("qryInsertRequisicao", "empty, table's columns"),
           not r.rows and r.columns == REQUISICAO_COLUMNS, r.columns)

    r = run("qryBuscaQuelora", status_integracao="Pendente")
    chk.ok(label("qryBuscaQuelora", "pending without error, key order"), quelora_ids(r) == [1, 2], quelora_ids(r))

    # The claim changes a pending row without error once; a second claim, or
    # one of a row with an error, changes nothing. Row 1 goes back afterwards.
    r = run("qryReservaQuelora", id_quelora="1")
    chk.ok(label("qryReservaQuelora", "pending row claimed"), r.rowcount == 1, r.rowcount)
    r = run("qryReservaQuelora", id_quelora="1")
    chk.ok(label("qryReservaQuelora", "claimed row not claimed again"), r.rowcount == 0, r.rowcount)
    r = run("qryReservaQuelora", id_quelora="3")
    chk.ok(label("qryReservaQuelora", "row with an error not claimed"), r.rowcount == 0, r.rowcount)
    run("qryUpdateStatusIntegracao", status_integracao="Pendente", id_requisicao="0", ano_requisicao="0",
        numero_requisicao="0", erro_integracao="0", log_erro_integracao=None, id_quelora="1")

    # UpdateStatus: every value as text, '0' keeps the stored value, '' is NULL.
    def quelora_row(i):
        rr = run("qryQuelora", data_inicio="2025-06-01 00:00:00", data_fim="2025-06-30 00:00:00", erro_integracao=1)
        return {int(x["id_quelora"]): x for x in rr.dicts()}[i]

    r = run("qryUpdateStatusIntegracao", status_integracao="Pendente", id_requisicao="0", ano_requisicao="0",
            numero_requisicao="0", erro_integracao="0", log_erro_integracao=None, id_quelora="3")
    q = quelora_row(3)
    chk.ok(label("qryUpdateStatusIntegracao", "'0' keeps the error flag 1"),
           r.rowcount == 1 and q["erro_integracao"] == "1" and q["id_requisicao"] is None, q)
    run("qryUpdateStatusIntegracao", status_integracao="Requisição", id_requisicao="77", ano_requisicao="2025",
        numero_requisicao="12", erro_integracao="1", log_erro_integracao="A placa: ABC1D23 não foi localizada",
        id_quelora="2")
    q = quelora_row(2)
    chk.ok(label("qryUpdateStatusIntegracao", "values written"),
           (q["status_integracao"], q["id_requisicao"], q["ano_requisicao"], q["numero_requisicao"],
            q["erro_integracao"], q["log_erro_integracao"])
           == ("Requisição", "77", "2025", "12", "1", "A placa: ABC1D23 não foi localizada"), q)
    run("qryUpdateStatusIntegracao", status_integracao="Finalizado", id_requisicao="0", ano_requisicao="0",
        numero_requisicao="0", erro_integracao="0", log_erro_integracao=None, id_quelora="2")
    q = quelora_row(2)
    chk.ok(label("qryUpdateStatusIntegracao", "'0' keeps the numbers, NULL log"),
           (q["status_integracao"], q["id_requisicao"], q["numero_requisicao"], q["erro_integracao"],
            q["log_erro_integracao"]) == ("Finalizado", "77", "12", "1", None), q)

    r = run("qryInsertItemRequisicao", numero_requisicao=12, ano_requisicao=2025, codigo_material=50012)
    chk.ok(label("qryInsertItemRequisicao", "existing item"),
           len(r.rows) == 1 and r.columns == ITEM_COLUMNS and num(r.dicts()[0]["quantidade_digitada_ret"]) == 45.5,
           (r.columns, r.rows))
    r = run("qryInsertItemRequisicao", numero_requisicao=12, ano_requisicao=2025, codigo_material=50013)
    chk.ok(label("qryInsertItemRequisicao", "no item"), not r.rows and r.columns == ITEM_COLUMNS, r.rows)

    for plate, want in (("ABC1D23", ["7001"]), ("ABC 1D23", ["7001"]), (" A B C 1 D 2 3 ", ["7001"]),
                        ("XYZ9876", []), (None, []), ("  ", []), ("ZZZ0000", [])):
        r = run("qryBuscaBem", numero_placa=plate)
        got = [x["codigo_bem"] for x in r.dicts()]
        chk.ok(label("qryBuscaBem", repr(plate)), got == want, r.rows)
        if want:
            d = r.dicts()[0]
            chk.ok(label("qryBuscaBem", "columns"), r.columns == ["descricao", "codigo_bem", "numero_placa"]
                   and d["descricao"] == "CAMINHAO BAU 01" and d["numero_placa"] == "ABC 1D23", r.dicts())
    r = run("qryBuscaBem", numero_placa="LNG0001")
    chk.ok(label("qryBuscaBem", "description cut at 40"),
           r.dicts()[0]["descricao"] == "CAMINHAO COM UMA DESCRICAO BEM MAIS LONGA QUE QUARENTA LETRAS"[:40], r.rows)

    for code, want in (("50012", [["50012", None]]), ("50013", [["50013", "B"]]),
                       ("50014", [["50014", "D"]]), ("99999", [])):
        r = run("qryVerificaMaterial1", codigo_material=code)
        chk.ok(label("qryVerificaMaterial1", code), r.rows == want and r.columns == ["codigo_material", "tipo"],
               (r.columns, r.rows))

    for order, want in (("A1", [["A1"]]), ("ZZ", []), (None, [])):
        r = run("qryVerificaOrderId", order_id=order)
        chk.ok(label("qryVerificaOrderId", repr(order)), r.rows == want, r.rows)

    # Sequences: bound names, consecutive values, a missing one fails.
    got = [run("qryExecute", seq="vorna_mat.sq_quelora").dicts() for _ in range(2)]
    chk.ok(label("qryExecute", "sq_quelora 1, 2"), [g[0]["id"] for g in got] == ["1", "2"], got)
    got = run("qryExecute", seq="vorna_mat.sq_numero_requisicao").dicts()
    chk.ok(label("qryExecute", "sq_numero_requisicao 1"), got == [{"id": "1"}], got)
    got = run("qryExecute", seq="vorna_mat.sq_id_requisicao").dicts()
    chk.ok(label("qryExecute", "sq_id_requisicao 1"), got == [{"id": "1"}], got)
    if E == "sqlite":
        r = run("qryExecute", seq="vorna_mat.sq_nada")
        chk.ok(label("qryExecute", "missing sequence: no row"), r.rows == [], r.rows)
    else:
        chk.raises(label("qryExecute", "missing sequence fails"), lambda: run("qryExecute", seq="vorna_mat.sq_nada"))
    hostile = "vorna_mat.sq_quelora; drop table vorna_mat.quelora"
    if E == "sqlite":
        r = run("qryExecute", seq=hostile)
        chk.ok(label("qryExecute", "a hostile name is only a key"), r.rows == [], r.rows)
    else:
        chk.raises(label("qryExecute", "a hostile name is only a name"), lambda: run("qryExecute", seq=hostile))
    r = run("qryInsertQuelora")
    chk.ok(label("qryExecute", "the table is still there"), r.columns == QUELORA_COLUMNS, r.columns)

    # Keys of the staging table.
    ins = ("INSERT INTO vorna_mat.quelora (id_quelora, order_id, status_integracao, erro_integracao)"
           " VALUES (%d, %s, 'Pendente', 0)")
    chk.raises(label("quelora", "order_id unique"), lambda: plain_exec(plain, ins % (10, "'A1'")))
    chk.raises(label("quelora", "order_id not null"), lambda: plain_exec(plain, ins % (11, "NULL")))


def plain_exec(conn, sql):
    return conn.execute(sql, {}) if isinstance(conn, SqliteEngine) else conn.command(sql)


def check_generated(chk):
    cmake = shutil.which("cmake")
    if not cmake:
        chk.ok("generated table: cmake found", False)
        return
    r = subprocess.run([cmake, "-DCHECK=ON", "-P", os.path.join(ROOT, "cmake", "StatementCatalogue.cmake")],
                       capture_output=True, text=True)
    chk.ok("generated table is current", r.returncode == 0, r.stderr.strip())


def check_texts(chk, st):
    for name, s in st.items():
        for dialect in ("sqlite", "postgresql"):
            chk.ok("%s %s: no '::' cast" % (dialect, name), "::" not in s[dialect])
            chk.ok("%s %s: no '$n'" % (dialect, name), not re.search(r"\$\d", s[dialect]))
        chk.ok("%s: same parameters on both engines" % name,
               sorted(sql_params(s["sqlite"])) == sorted(sql_params(s["postgresql"])))
        declared = [p[0].lower() for p in s["params"]]
        chk.ok("%s: parameters as declared" % name, sorted(declared) == sorted(sql_params(s["postgresql"])),
               (declared, sql_params(s["postgresql"])))
    chk.ok("scanner: quotes and '::'",
           to_dollar_params("select ':a', x::int, :b, \":c\" -- :d\n, :B, :e") ==
           ("select ':a', x::int, $1, \":c\" -- :d\n, $1, $2", ["b", "e"]))


def check_sqlite(chk, st, folder):
    scripts = [os.path.join(DB, "sqlite", f) for f in ("vorna_mat.sql", "vorna_fis.sql", "vorna_fro.sql", "erp.sql")]
    eng = SqliteEngine(folder, LOGIN_USER)
    for _ in range(2):  # the scripts run again on a complete database without harm
        for path in scripts:
            eng.script(path)
    r = eng.execute("select versao from main.esquema", {})
    chk.ok("sqlite esquema.versao", r.rows == [["1"]], r.rows)
    r = eng.execute("select ponteiro_integracao, carga_inicial, url, token, stored_procedure"
                    " from vorna_mat.integracao_recurso r, vorna_mat.integracao_api a"
                    " where a.id_integracao_api = r.id_integracao_api", {})
    chk.ok("sqlite seed: one resource, creation time as next run, flag 0, empty address",
           r.rows == [["27/06/2025 10:30:00", "0", "", "", ""]], r.rows)
    r = eng.execute("select name from vorna_mat.sqlite_schema where type = 'view'", {})
    chk.ok("sqlite v_material lives in vorna_mat.db", r.rows == [["v_material"]], r.rows)
    for _ in range(2):
        eng.script(os.path.join(DB, "sqlite", "demo.sql"))
    for path in scripts:  # a schema script run again keeps the rows it finds
        eng.script(path)
    r = eng.execute("select url, token from vorna_mat.integracao_api", {})
    chk.ok("sqlite schema run again keeps the demo's address", r.rows == [["http://127.0.0.1:18080/", "demo"]], r.rows)
    for sql in FIXTURE:
        eng.execute(sql, {})
    login = SqliteEngine(folder, LOGIN_USER)
    run_cases(chk, "sqlite", login, eng, st)
    login.close()
    eng.close()


def check_postgres(chk, st, libpq, base):
    admin = PostgresEngine(libpq, base + " dbname=postgres")
    dbname = "check_statements_%d" % os.getpid()
    admin.command("DROP DATABASE IF EXISTS %s" % dbname)
    admin.command("CREATE DATABASE %s" % dbname)
    admin.command("DROP ROLE IF EXISTS %s" % LOGIN_USER)
    try:
        owner = PostgresEngine(libpq, base + " dbname=" + dbname)
        for _ in range(2):
            owner.script(os.path.join(DB, "postgresql", "cluster.sql"))
        owner.command("CREATE ROLE %s LOGIN IN ROLE vorna_user" % LOGIN_USER)
        for _ in range(2):
            owner.script(os.path.join(DB, "postgresql", "database.sql"))
        r = owner.command("select rolcanlogin from pg_roles where rolname = 'vorna_user'")
        chk.ok("postgresql vorna_user NOLOGIN", r.rows == [["f"]], r.rows)
        r = owner.command("select ponteiro_integracao, carga_inicial, url, token, stored_procedure"
                          " from vorna_mat.integracao_recurso r, vorna_mat.integracao_api a"
                          " where a.id_integracao_api = r.id_integracao_api")
        chk.ok("postgresql seed: one resource, creation time as next run, flag 0, empty address",
               len(r.rows) == 1 and PTR.match(r.rows[0][0] or "") and r.rows[0][1:] == ["0", "", "", ""], r.rows)
        for _ in range(2):
            owner.script(os.path.join(DB, "postgresql", "demo.sql"))
        owner.script(os.path.join(DB, "postgresql", "database.sql"))
        r = owner.command("select url, token from vorna_mat.integracao_api")
        chk.ok("postgresql schema run again keeps the demo's address",
               r.rows == [["http://127.0.0.1:18080/", "demo"]], r.rows)
        for sql in FIXTURE:
            owner.command(sql)
        # The program's connections log in as a member of vorna_user: the login
        # one runs the set-up, the others use the inherited grants.
        login = PostgresEngine(libpq, base + " dbname=%s user=%s" % (dbname, LOGIN_USER))
        plain = PostgresEngine(libpq, base + " dbname=%s user=%s" % (dbname, LOGIN_USER))
        plain.command("SET DateStyle = 'ISO, DMY'")  # as the driver's connect options do
        login.command("SET DateStyle = 'ISO, DMY'")
        run_cases(chk, "postgresql", login, plain, st)
        login.close()
        plain.close()
        owner.close()
    finally:
        time.sleep(0.1)
        admin.command("DROP DATABASE IF EXISTS %s" % dbname)
        admin.command("DROP ROLE IF EXISTS %s" % LOGIN_USER)
        admin.close()


# The exit status ctest reads as "skipped" (SKIP_RETURN_CODE).
SKIPPED = 77


def postgres_required():
    return bool(os.environ.get("CI")) or os.environ.get("REQUIRE_POSTGRES") == "1"


def load_test_server_env():
    """Puts the PG... lines of the file PG_TEST_ENV names into the environment.
    Returns False when the variable names a file without any (no server)."""
    env_file = os.environ.get("PG_TEST_ENV")
    if not env_file:
        return True
    loaded = 0
    if os.path.exists(env_file):
        with open(env_file, encoding="utf-8") as f:
            for line in f:
                key, sep, value = line.strip().partition("=")
                if sep and key.startswith("PG"):
                    os.environ[key] = value
                    loaded += 1
    return loaded > 0


def postgres_checks(chk, st):
    libpq = Libpq()
    cluster = None
    superuser_host = os.environ.get("PG_TEST_SUPERUSER_HOST")
    if superuser_host:
        # The test server's login role may not create roles; its superuser may,
        # through the socket only.
        base = "host=%s port=%s user=postgres" % (superuser_host, os.environ.get("PGPORT", "5432"))
    elif os.environ.get("PGHOST") or os.environ.get("PGPORT"):
        base = ""
    else:
        cluster = PrivateCluster()
        base = "host=127.0.0.1 port=%d user=postgres" % cluster.port
    try:
        check_postgres(chk, st, libpq, base + " connect_timeout=10 options='-c client_min_messages=warning'")
    finally:
        if cluster:
            cluster.stop()


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    only = ap.add_mutually_exclusive_group()
    only.add_argument("--sqlite-only", action="store_true", help="skip PostgreSQL")
    only.add_argument("--postgres-only", action="store_true",
                      help="PostgreSQL only (no SQLite, no generated-table check)")
    ap.add_argument("--keep", action="store_true", help="keep the SQLite folder")
    args = ap.parse_args()

    if not args.sqlite_only and not load_test_server_env():
        why = "no PostgreSQL test server: %s holds no settings" % os.environ["PG_TEST_ENV"]
        if postgres_required():
            print(why)
            print("0 passed, 1 failed")
            return 1
        print(why + "; skipped")
        return SKIPPED

    chk = Checker()
    st = load_statements()
    check_texts(chk, st)

    if not args.postgres_only:
        check_generated(chk)
        folder = tempfile.mkdtemp(prefix="check-statements-")
        try:
            check_sqlite(chk, st, folder)
        finally:
            if args.keep:
                print("SQLite files kept in", folder)
            else:
                shutil.rmtree(folder, ignore_errors=True)

    if not args.sqlite_only:
        postgres_checks(chk, st)

    print("%d passed, %d failed" % (chk.passed, chk.failed))
    return 1 if chk.failed or not chk.passed else 0


if __name__ == "__main__":
    sys.exit(main())
