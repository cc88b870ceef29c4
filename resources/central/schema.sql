-- The central database's tables and functions, version 3. Run by
-- scripts/central-setup as the owning role, and by a station that may create
-- them where no setup was made (one login for the whole room). Every
-- statement may run again: nothing here drops or rewrites a row.
CREATE TABLE IF NOT EXISTS quorvex_schema(version integer NOT NULL);
CREATE TABLE IF NOT EXISTS stations(station_id text PRIMARY KEY, name text NOT NULL,
  state text NOT NULL DEFAULT 'off', program text NOT NULL DEFAULT '', state_since timestamp,
  heartbeat timestamptz NOT NULL DEFAULT now(), shift_calendar text NOT NULL DEFAULT '');
CREATE TABLE IF NOT EXISTS executions(station_id text NOT NULL, local_id bigint NOT NULL,
  arrival bigserial, name text NOT NULL, revision text NOT NULL, date_text text NOT NULL,
  time_text text NOT NULL, opened timestamp, execution_seconds integer NOT NULL,
  idle_seconds integer NOT NULL, point_count integer NOT NULL, message_count integer NOT NULL,
  received timestamptz NOT NULL DEFAULT now(), PRIMARY KEY(station_id, local_id));
CREATE INDEX IF NOT EXISTS executions_opened ON executions(opened);
CREATE TABLE IF NOT EXISTS execution_messages(station_id text NOT NULL, local_id bigint NOT NULL,
  position integer NOT NULL, message text NOT NULL, PRIMARY KEY(station_id, local_id, position));
CREATE TABLE IF NOT EXISTS usage_periods(station_id text NOT NULL, local_id bigint NOT NULL,
  total text NOT NULL, seconds integer NOT NULL, recorded timestamptz, PRIMARY KEY(station_id, local_id));
CREATE TABLE IF NOT EXISTS alerts(station_id text NOT NULL, alert_key text NOT NULL, kind text NOT NULL,
  detail text NOT NULL, started timestamp NOT NULL, ended timestamp, PRIMARY KEY(station_id, alert_key));
CREATE INDEX IF NOT EXISTS alerts_started ON alerts(started);
-- A station's stops, by their start in its local time; a stop classified
-- again or ended comes again with a higher change number.
CREATE TABLE IF NOT EXISTS stops(station_id text NOT NULL, started timestamp NOT NULL, ended timestamp NOT NULL,
  open boolean NOT NULL, reason text NOT NULL, source text NOT NULL, planned boolean NOT NULL, note text NOT NULL,
  change bigint NOT NULL, PRIMARY KEY(station_id, started));
CREATE INDEX IF NOT EXISTS stops_started ON stops(started);

-- Which station each station login is; a login writes that station's rows only.
CREATE TABLE IF NOT EXISTS station_logins(login name PRIMARY KEY, station_id text NOT NULL UNIQUE);
CREATE OR REPLACE FUNCTION quorvex_login_station() RETURNS text
  LANGUAGE sql STABLE SECURITY DEFINER SET search_path = pg_catalog, public AS
  $$ SELECT station_id FROM station_logins WHERE login = session_user $$;

-- A reader of the room stores the silence of a station that cannot speak for
-- itself through these, and through nothing else: a silent-kind alert of a
-- known station, its start once and its end once.
CREATE OR REPLACE FUNCTION quorvex_silence_start(p_station text, p_key text, p_detail text, p_started timestamp)
  RETURNS boolean LANGUAGE sql SECURITY DEFINER SET search_path = pg_catalog, public AS
  $$ WITH made AS (INSERT INTO alerts(station_id, alert_key, kind, detail, started)
       SELECT p_station, p_key, 'silent', p_detail, p_started
       WHERE EXISTS (SELECT 1 FROM stations WHERE station_id = p_station)
       ON CONFLICT DO NOTHING RETURNING 1)
     SELECT count(*) = 1 FROM made $$;
CREATE OR REPLACE FUNCTION quorvex_silence_end(p_station text, p_key text, p_ended timestamp)
  RETURNS boolean LANGUAGE sql SECURITY DEFINER SET search_path = pg_catalog, public AS
  $$ WITH ended AS (UPDATE alerts SET ended = p_ended
       WHERE station_id = p_station AND alert_key = p_key AND kind = 'silent' AND ended IS NULL RETURNING 1)
     SELECT count(*) = 1 FROM ended $$;
CREATE OR REPLACE FUNCTION quorvex_silence_end_open(p_station text, p_at timestamp)
  RETURNS TABLE(detail text, started timestamp) LANGUAGE sql SECURITY DEFINER
  SET search_path = pg_catalog, public AS
  $$ UPDATE alerts SET ended = p_at
     WHERE station_id = p_station AND kind = 'silent' AND ended IS NULL AND started < p_at
     RETURNING alerts.detail, alerts.started $$;

DELETE FROM quorvex_schema WHERE version < 3;
INSERT INTO quorvex_schema(version) SELECT 3 WHERE NOT EXISTS (SELECT 1 FROM quorvex_schema);
