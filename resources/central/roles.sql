-- Run by scripts/central-setup in the central database, in one transaction,
-- as its administrator; psql variables: db, schema (the tables' file).
-- Every statement may run again.
SET client_min_messages = warning;
REVOKE ALL ON DATABASE :"db" FROM PUBLIC;
GRANT CONNECT ON DATABASE :"db" TO quorvex_station, quorvex_reader;
REVOKE CREATE ON SCHEMA public FROM PUBLIC;
GRANT USAGE, CREATE ON SCHEMA public TO quorvex_owner;
GRANT USAGE ON SCHEMA public TO quorvex_station, quorvex_reader;
-- The viewer and the watcher read as readers; what a viewer was given itself before is taken back.
GRANT quorvex_reader TO quorvex_viewer, quorvex_watcher;
REVOKE CONNECT ON DATABASE :"db" FROM quorvex_viewer;
REVOKE ALL ON SCHEMA public FROM quorvex_viewer;

-- Tables made before (by the first station, in a room run with one login) are given to the owner.
DO $$
DECLARE
  r record;
BEGIN
  FOR r IN SELECT c.relname FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace
           WHERE n.nspname = 'public' AND c.relkind IN ('r', 'v') AND pg_get_userbyid(c.relowner) <> 'quorvex_owner'
             AND c.relname IN ('quorvex_schema', 'stations', 'executions', 'execution_messages', 'usage_periods',
                               'alerts', 'stops', 'station_logins', 'station_days', 'station_day_programs',
                               'station_day_messages', 'station_day_stops', 'execution_moments')
  LOOP
    EXECUTE format('ALTER TABLE %I OWNER TO quorvex_owner', r.relname);
  END LOOP;
  FOR r IN SELECT p.oid::regprocedure AS f FROM pg_proc p JOIN pg_namespace n ON n.oid = p.pronamespace
           WHERE n.nspname = 'public' AND p.proname LIKE 'quorvex\_%' AND pg_get_userbyid(p.proowner) <> 'quorvex_owner'
  LOOP
    EXECUTE format('ALTER FUNCTION %s OWNER TO quorvex_owner', r.f);
  END LOOP;
END
$$;

SET ROLE quorvex_owner;
\ir schema.sql

REVOKE ALL ON ALL TABLES IN SCHEMA public FROM PUBLIC;
REVOKE ALL ON ALL SEQUENCES IN SCHEMA public FROM PUBLIC;
REVOKE ALL ON ALL FUNCTIONS IN SCHEMA public FROM PUBLIC;

-- Readers (the viewer, kept at every station, and the watcher) read everything but the logins. The
-- viewer writes nothing; the watcher stores the silence of stations through the functions only.
REVOKE ALL ON ALL TABLES IN SCHEMA public FROM quorvex_viewer;
REVOKE ALL ON ALL FUNCTIONS IN SCHEMA public FROM quorvex_viewer;
GRANT SELECT ON quorvex_schema, stations, executions, execution_messages, usage_periods, alerts, stops,
  station_days, station_day_programs, station_day_messages, station_day_stops, execution_moments TO quorvex_reader;
GRANT EXECUTE ON FUNCTION quorvex_silence_start(text, text, text, timestamp), quorvex_silence_end(text, text, timestamp),
  quorvex_silence_end_open(text, timestamp) TO quorvex_watcher;

-- A station adds rows and keeps its own heartbeat and alerts' ends; nothing else.
GRANT SELECT ON quorvex_schema TO quorvex_station;
GRANT EXECUTE ON FUNCTION quorvex_login_station() TO quorvex_station;
GRANT INSERT ON executions, execution_messages, usage_periods TO quorvex_station;
-- A batch sent again meets its rows by their keys (ON CONFLICT), which needs the keys' reading; its own only.
GRANT SELECT (station_id, local_id) ON executions, usage_periods TO quorvex_station;
GRANT SELECT (station_id, local_id, position) ON execution_messages TO quorvex_station;
GRANT USAGE ON SEQUENCE executions_arrival_seq TO quorvex_station;
GRANT SELECT, INSERT ON stations, alerts TO quorvex_station;
GRANT UPDATE (name, state, program, state_since, heartbeat, shift_calendar, time_zone, group_name,
  state_since_at, utc_offset) ON stations TO quorvex_station;
GRANT UPDATE (ended, ended_at) ON alerts TO quorvex_station;
-- The scheduled seconds of its own days; the other kept figures are the server's alone.
GRANT SELECT (station_id, day, scheduled_seconds), INSERT (station_id, day, scheduled_seconds),
  UPDATE (scheduled_seconds)
  ON station_days TO quorvex_station;
-- A stop is ended and classified again after it was first sent.
GRANT SELECT, INSERT ON stops TO quorvex_station;
GRANT UPDATE (ended, open, reason, source, planned, note, change, started_at, ended_at) ON stops TO quorvex_station;

-- Rows are a station's own by its login (table station_logins), checked by the server on every row.
ALTER TABLE stations ENABLE ROW LEVEL SECURITY;
ALTER TABLE executions ENABLE ROW LEVEL SECURITY;
ALTER TABLE execution_messages ENABLE ROW LEVEL SECURITY;
ALTER TABLE usage_periods ENABLE ROW LEVEL SECURITY;
ALTER TABLE alerts ENABLE ROW LEVEL SECURITY;
ALTER TABLE stops ENABLE ROW LEVEL SECURITY;
ALTER TABLE station_days ENABLE ROW LEVEL SECURITY;
ALTER TABLE station_day_programs ENABLE ROW LEVEL SECURITY;
ALTER TABLE station_day_messages ENABLE ROW LEVEL SECURITY;
ALTER TABLE station_day_stops ENABLE ROW LEVEL SECURITY;

DROP POLICY IF EXISTS viewer_reads ON stations;
CREATE POLICY viewer_reads ON stations FOR SELECT TO quorvex_reader USING (true);
DROP POLICY IF EXISTS viewer_reads ON executions;
CREATE POLICY viewer_reads ON executions FOR SELECT TO quorvex_reader USING (true);
DROP POLICY IF EXISTS viewer_reads ON execution_messages;
CREATE POLICY viewer_reads ON execution_messages FOR SELECT TO quorvex_reader USING (true);
DROP POLICY IF EXISTS viewer_reads ON usage_periods;
CREATE POLICY viewer_reads ON usage_periods FOR SELECT TO quorvex_reader USING (true);
DROP POLICY IF EXISTS viewer_reads ON alerts;
CREATE POLICY viewer_reads ON alerts FOR SELECT TO quorvex_reader USING (true);
DROP POLICY IF EXISTS viewer_reads ON stops;
CREATE POLICY viewer_reads ON stops FOR SELECT TO quorvex_reader USING (true);
DROP POLICY IF EXISTS viewer_reads ON station_days;
CREATE POLICY viewer_reads ON station_days FOR SELECT TO quorvex_reader USING (true);
DROP POLICY IF EXISTS viewer_reads ON station_day_programs;
CREATE POLICY viewer_reads ON station_day_programs FOR SELECT TO quorvex_reader USING (true);
DROP POLICY IF EXISTS viewer_reads ON station_day_messages;
CREATE POLICY viewer_reads ON station_day_messages FOR SELECT TO quorvex_reader USING (true);
DROP POLICY IF EXISTS viewer_reads ON station_day_stops;
CREATE POLICY viewer_reads ON station_day_stops FOR SELECT TO quorvex_reader USING (true);

DROP POLICY IF EXISTS station_adds ON executions;
CREATE POLICY station_adds ON executions FOR INSERT TO quorvex_station
  WITH CHECK (station_id = quorvex_login_station());
DROP POLICY IF EXISTS station_adds ON execution_messages;
CREATE POLICY station_adds ON execution_messages FOR INSERT TO quorvex_station
  WITH CHECK (station_id = quorvex_login_station());
DROP POLICY IF EXISTS station_adds ON usage_periods;
CREATE POLICY station_adds ON usage_periods FOR INSERT TO quorvex_station
  WITH CHECK (station_id = quorvex_login_station());
DROP POLICY IF EXISTS station_reads_own ON executions;
CREATE POLICY station_reads_own ON executions FOR SELECT TO quorvex_station
  USING (station_id = quorvex_login_station());
DROP POLICY IF EXISTS station_reads_own ON execution_messages;
CREATE POLICY station_reads_own ON execution_messages FOR SELECT TO quorvex_station
  USING (station_id = quorvex_login_station());
DROP POLICY IF EXISTS station_reads_own ON usage_periods;
CREATE POLICY station_reads_own ON usage_periods FOR SELECT TO quorvex_station
  USING (station_id = quorvex_login_station());
DROP POLICY IF EXISTS station_own ON stations;
CREATE POLICY station_own ON stations FOR ALL TO quorvex_station
  USING (station_id = quorvex_login_station()) WITH CHECK (station_id = quorvex_login_station());
DROP POLICY IF EXISTS station_own ON alerts;
CREATE POLICY station_own ON alerts FOR ALL TO quorvex_station
  USING (station_id = quorvex_login_station()) WITH CHECK (station_id = quorvex_login_station());
DROP POLICY IF EXISTS station_own ON stops;
CREATE POLICY station_own ON stops FOR ALL TO quorvex_station
  USING (station_id = quorvex_login_station()) WITH CHECK (station_id = quorvex_login_station());
-- Its today only (its zone's date is within a day of UTC's): no station rewrites its past or its future.
DROP POLICY IF EXISTS station_own ON station_days;
CREATE POLICY station_own ON station_days FOR ALL TO quorvex_station
  USING (station_id = quorvex_login_station())
  WITH CHECK (station_id = quorvex_login_station()
              AND day BETWEEN (now() AT TIME ZONE 'UTC')::date - 1 AND (now() AT TIME ZONE 'UTC')::date + 1);
RESET ROLE;
