-- The central database's tables and functions, version 6. Run by
-- scripts/central-setup as the owning role, and by a station that may create
-- them where no setup was made (one login for the whole room). Every
-- statement may run again: nothing here drops or rewrites a row.
SET LOCAL client_min_messages = warning;
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
-- A station's stops; a stop classified again or ended comes again with a
-- higher change number. Keyed by the instant it began (below): a local time
-- repeats in the hour the clocks go back, and moves with the station's zone.
CREATE TABLE IF NOT EXISTS stops(station_id text NOT NULL, started timestamp NOT NULL, ended timestamp NOT NULL,
  open boolean NOT NULL, reason text NOT NULL, source text NOT NULL, planned boolean NOT NULL, note text NOT NULL,
  change bigint NOT NULL, PRIMARY KEY(station_id, started));
CREATE INDEX IF NOT EXISTS stops_started ON stops(started);

-- Time as it happened: each row's UTC instant beside the station's local
-- time, and the station's time zone and group. Rows sent before these
-- columns have no instant; their local time is the station's own.
ALTER TABLE stations ADD COLUMN IF NOT EXISTS time_zone text NOT NULL DEFAULT '';
ALTER TABLE stations ADD COLUMN IF NOT EXISTS group_name text NOT NULL DEFAULT '';
ALTER TABLE stations ADD COLUMN IF NOT EXISTS state_since_at timestamptz;
-- Seconds east of UTC at the last heartbeat: the zone as told, where the name is none a reader knows.
ALTER TABLE stations ADD COLUMN IF NOT EXISTS utc_offset integer;
ALTER TABLE executions ADD COLUMN IF NOT EXISTS opened_at timestamptz;
ALTER TABLE alerts ADD COLUMN IF NOT EXISTS started_at timestamptz;
ALTER TABLE alerts ADD COLUMN IF NOT EXISTS ended_at timestamptz;
ALTER TABLE stops ADD COLUMN IF NOT EXISTS started_at timestamptz;
ALTER TABLE stops ADD COLUMN IF NOT EXISTS ended_at timestamptz;
ALTER TABLE stops DROP CONSTRAINT IF EXISTS stops_pkey;
-- Keyed by local time, a station whose zone changed sent its stops again as new rows: each
-- stop is kept once, at its latest change (the figures are made again below).
DELETE FROM stops a USING stops b WHERE a.station_id = b.station_id AND a.started_at = b.started_at
  AND (a.change < b.change OR (a.change = b.change AND a.ctid < b.ctid));
CREATE UNIQUE INDEX IF NOT EXISTS stops_station_instant ON stops(station_id, started_at);

-- Which station each station login is; a login writes that station's rows only.
CREATE TABLE IF NOT EXISTS station_logins(login name PRIMARY KEY, station_id text NOT NULL UNIQUE);
-- The station name the setup made the login for: another name that would make the same login is
-- refused. Logins made before take the name their station told.
ALTER TABLE station_logins ADD COLUMN IF NOT EXISTS name text;
UPDATE station_logins l SET name = s.name FROM stations s WHERE l.name IS NULL AND s.station_id = l.station_id;
CREATE OR REPLACE FUNCTION quorvex_login_station() RETURNS text
  LANGUAGE sql STABLE SECURITY DEFINER SET search_path = pg_catalog, public, pg_temp AS
  $$ SELECT station_id FROM station_logins WHERE login = session_user $$;

-- A station's group is the setup's or the administrator's (station_logins),
-- never the station's to change; logins made before take the group their
-- station told first.
ALTER TABLE station_logins ADD COLUMN IF NOT EXISTS group_name text;
UPDATE station_logins l SET group_name = s.group_name
  FROM stations s WHERE l.group_name IS NULL AND s.station_id = l.station_id;
-- What a station tells of its name and group is replaced by its login's: a
-- station cannot rename itself, or move into another group under another's name.
CREATE OR REPLACE FUNCTION quorvex_keep_station_identity() RETURNS trigger LANGUAGE plpgsql SECURITY DEFINER
  SET search_path = pg_catalog, public, pg_temp AS
$$
DECLARE
  given record;
BEGIN
  SELECT name, group_name INTO given FROM station_logins WHERE station_id = NEW.station_id;
  IF NOT FOUND THEN
    RETURN NEW;
  END IF;
  IF given.group_name IS NULL THEN
    UPDATE station_logins SET group_name = NEW.group_name WHERE station_id = NEW.station_id;
  END IF;
  NEW.name := coalesce(given.name, NEW.name);
  NEW.group_name := coalesce(given.group_name, NEW.group_name);
  RETURN NEW;
END
$$;
DROP TRIGGER IF EXISTS stations_identity ON stations;
CREATE TRIGGER stations_identity BEFORE INSERT OR UPDATE ON stations
  FOR EACH ROW EXECUTE FUNCTION quorvex_keep_station_identity();

-- The watcher stores the silence of a station that cannot speak for itself
-- through these, and through nothing else: a silent-kind alert of a known
-- station, its start once and its end once, with its instant in the zone
-- the station last told (none: NULL). Each is checked against what the
-- server knows: a silence starts after the station's last heartbeat, ends
-- after it starts, is heard again only at a heartbeat, and is never dated
-- later than now.
CREATE OR REPLACE FUNCTION quorvex_station_instant(p_station text, p_local timestamp) RETURNS timestamptz
  LANGUAGE sql STABLE SECURITY DEFINER SET search_path = pg_catalog, public, pg_temp AS
  $$ SELECT CASE WHEN s.time_zone IN (SELECT name FROM pg_timezone_names) THEN p_local AT TIME ZONE s.time_zone
                 WHEN s.utc_offset IS NOT NULL
                 THEN (p_local - make_interval(secs => s.utc_offset)) AT TIME ZONE 'UTC' END
     FROM stations s WHERE s.station_id = p_station $$;
-- An instant in the station's local time as the readers read it: its zone, else the offset it told, else UTC.
CREATE OR REPLACE FUNCTION quorvex_station_local(p_station text, p_at timestamptz) RETURNS timestamp
  LANGUAGE sql STABLE SECURITY DEFINER SET search_path = pg_catalog, public, pg_temp AS
  $$ SELECT CASE WHEN s.time_zone IN (SELECT name FROM pg_timezone_names) THEN p_at AT TIME ZONE s.time_zone
                 ELSE (p_at AT TIME ZONE 'UTC') + make_interval(secs => coalesce(s.utc_offset, 0)) END
     FROM stations s WHERE s.station_id = p_station $$;
-- Compared in the station's local time, where a reader's time is exact even in the hour the clocks go
-- back; a minute's leeway for the readers' rounding and zone tables.
CREATE OR REPLACE FUNCTION quorvex_refuse_future(p_station text, p_local timestamp) RETURNS void
  LANGUAGE plpgsql STABLE SECURITY DEFINER SET search_path = pg_catalog, public, pg_temp AS
$$
BEGIN
  IF p_local IS NULL OR p_local > quorvex_station_local(p_station, now()) + interval '1 minute' THEN
    RAISE EXCEPTION 'a silence of station % is dated %, later than now', p_station, p_local
      USING ERRCODE = 'invalid_parameter_value';
  END IF;
END
$$;
CREATE OR REPLACE FUNCTION quorvex_silence_start(p_station text, p_key text, p_detail text, p_started timestamp)
  RETURNS boolean LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, public, pg_temp AS
$$
DECLARE
  heard timestamp;
BEGIN
  PERFORM quorvex_refuse_future(p_station, p_started);
  SELECT quorvex_station_local(station_id, heartbeat) INTO heard FROM stations WHERE station_id = p_station;
  -- An unknown station, or one heard from since: not silent then (a reader's read may be that old).
  IF heard IS NULL OR p_started <= heard THEN
    RETURN false;
  END IF;
  INSERT INTO alerts(station_id, alert_key, kind, detail, started, started_at)
    VALUES (p_station, p_key, 'silent', p_detail, p_started, quorvex_station_instant(p_station, p_started))
    ON CONFLICT DO NOTHING;
  RETURN FOUND;
END
$$;
CREATE OR REPLACE FUNCTION quorvex_silence_end(p_station text, p_key text, p_ended timestamp)
  RETURNS boolean LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, public, pg_temp AS
$$
DECLARE
  began timestamp;
BEGIN
  PERFORM quorvex_refuse_future(p_station, p_ended);
  SELECT started INTO began FROM alerts
    WHERE station_id = p_station AND alert_key = p_key AND kind = 'silent' AND ended IS NULL FOR UPDATE;
  IF NOT FOUND THEN
    RETURN false;
  END IF;
  IF p_ended < began THEN
    RAISE EXCEPTION 'a silence of station % cannot end at %, before it started at %', p_station, p_ended, began
      USING ERRCODE = 'invalid_parameter_value';
  END IF;
  UPDATE alerts SET ended = p_ended, ended_at = quorvex_station_instant(p_station, p_ended)
    WHERE station_id = p_station AND alert_key = p_key AND kind = 'silent' AND ended IS NULL;
  RETURN FOUND;
END
$$;
-- Heard again: the station's open silences end at the heartbeat that ended them, at no other time.
CREATE OR REPLACE FUNCTION quorvex_silence_end_open(p_station text, p_at timestamp)
  RETURNS TABLE(detail text, started timestamp) LANGUAGE plpgsql SECURITY DEFINER
  SET search_path = pg_catalog, public, pg_temp AS
$$
BEGIN
  PERFORM quorvex_refuse_future(p_station, p_at);
  RETURN QUERY
    UPDATE alerts a SET ended = p_at, ended_at = quorvex_station_instant(p_station, p_at)
    FROM stations s
    WHERE a.station_id = p_station AND s.station_id = p_station AND a.kind = 'silent' AND a.ended IS NULL
      AND a.started < p_at AND p_at <= quorvex_station_local(p_station, s.heartbeat) + interval '1 second'
    RETURNING a.detail, a.started;
END
$$;

-- One station's executions over its days, and one program's.
CREATE INDEX IF NOT EXISTS executions_station_opened ON executions(station_id, opened);
-- By the name's digest: names are the measurement software's, of any length,
-- which a B-tree of the names cannot take (a program's rows: md5(name) = md5('...')).
CREATE INDEX IF NOT EXISTS executions_name ON executions(md5(name));
CREATE INDEX IF NOT EXISTS stops_station_started ON stops(station_id, started);

-- Every execution's moment, those sent without one read in their station's zone.
CREATE OR REPLACE VIEW execution_moments AS
  SELECT e.station_id, e.local_id, e.name, e.revision,
         coalesce(e.opened_at, CASE WHEN s.time_zone IN (SELECT name FROM pg_timezone_names)
                                    THEN e.opened AT TIME ZONE s.time_zone
                                    WHEN s.utc_offset IS NOT NULL
                                    THEN (e.opened - make_interval(secs => s.utc_offset)) AT TIME ZONE 'UTC'
                                    END) AS opened_at
  FROM executions e LEFT JOIN stations s USING (station_id);

-- Figures kept by the server per station and the station's own day (the day
-- of the local time it sent), changed in the statement that changes the rows
-- they count, so that they always equal what the rows give. Scheduled seconds
-- are the station's, from its calendar of that day.
CREATE TABLE IF NOT EXISTS station_days(station_id text NOT NULL, day date NOT NULL,
  executions bigint NOT NULL DEFAULT 0, executing_seconds bigint NOT NULL DEFAULT 0,
  idle_seconds bigint NOT NULL DEFAULT 0, points bigint NOT NULL DEFAULT 0,
  messages bigint NOT NULL DEFAULT 0, with_messages bigint NOT NULL DEFAULT 0, scheduled_seconds bigint,
  PRIMARY KEY(station_id, day));
CREATE INDEX IF NOT EXISTS station_days_day ON station_days(day);
CREATE TABLE IF NOT EXISTS station_day_programs(station_id text NOT NULL, day date NOT NULL, name text NOT NULL,
  executions bigint NOT NULL, executing_seconds bigint NOT NULL, idle_seconds bigint NOT NULL,
  points bigint NOT NULL, with_messages bigint NOT NULL, shortest integer NOT NULL, longest integer NOT NULL);
-- Keyed by the texts' digests, which any length of text has.
CREATE UNIQUE INDEX IF NOT EXISTS station_day_programs_key ON station_day_programs(station_id, day, md5(name));
CREATE INDEX IF NOT EXISTS station_day_programs_day ON station_day_programs(day);
CREATE TABLE IF NOT EXISTS station_day_messages(station_id text NOT NULL, day date NOT NULL,
  message text NOT NULL, name text NOT NULL, count bigint NOT NULL);
CREATE UNIQUE INDEX IF NOT EXISTS station_day_messages_key
  ON station_day_messages(station_id, day, md5(message), md5(name));
CREATE INDEX IF NOT EXISTS station_day_messages_day ON station_day_messages(day);
CREATE TABLE IF NOT EXISTS station_day_stops(station_id text NOT NULL, day date NOT NULL, reason text NOT NULL,
  planned boolean NOT NULL, seconds bigint NOT NULL);
CREATE UNIQUE INDEX IF NOT EXISTS station_day_stops_key ON station_day_stops(station_id, day, md5(reason), planned);
CREATE INDEX IF NOT EXISTS station_day_stops_day ON station_day_stops(day);

-- A stop's length: by its instants (a local time skips or repeats an hour
-- where summer time begins or ends), by its local times where it was sent
-- without them; never below nothing.
CREATE OR REPLACE FUNCTION quorvex_stop_seconds(p_started timestamp, p_ended timestamp, p_started_at timestamptz,
  p_ended_at timestamptz) RETURNS bigint LANGUAGE sql IMMUTABLE SET search_path = pg_catalog, pg_temp AS
  $$ SELECT greatest(0, extract(epoch FROM coalesce(p_ended_at - p_started_at, p_ended - p_started)))::bigint $$;

-- A scheduled day holds at most 25 hours (the day the clocks go back);
-- a value outside that is none.
UPDATE station_days SET scheduled_seconds = NULL WHERE scheduled_seconds < 0 OR scheduled_seconds > 90000;
DO $$
BEGIN
  IF NOT EXISTS (SELECT 1 FROM pg_constraint WHERE conname = 'station_days_scheduled_within_a_day') THEN
    ALTER TABLE station_days ADD CONSTRAINT station_days_scheduled_within_a_day
      CHECK (scheduled_seconds BETWEEN 0 AND 90000);
  END IF;
END $$;

-- Executions added, changed or removed (by an administrator) change their
-- days: one statement per batch, from the rows the statement changed (a row
-- sent again and not inserted is in none). A removed execution takes its
-- messages with it.
CREATE OR REPLACE FUNCTION quorvex_keep_executions() RETURNS trigger LANGUAGE plpgsql SECURITY DEFINER
  SET search_path = pg_catalog, public, pg_temp AS $$
BEGIN
  IF TG_OP IN ('DELETE', 'UPDATE') THEN
    UPDATE station_days d SET executions = d.executions - r.executions,
      executing_seconds = d.executing_seconds - r.seconds, idle_seconds = d.idle_seconds - r.idle,
      points = d.points - r.points, messages = d.messages - r.messages, with_messages = d.with_messages - r.with_messages
    FROM (SELECT station_id, opened::date AS day, count(*) AS executions, sum(execution_seconds) AS seconds,
                 sum(idle_seconds) AS idle, sum(point_count) AS points, sum(message_count) AS messages,
                 count(*) FILTER (WHERE message_count > 0) AS with_messages
          FROM removed WHERE opened IS NOT NULL GROUP BY 1, 2) r
    WHERE d.station_id = r.station_id AND d.day = r.day;
    UPDATE station_day_programs p SET executions = p.executions - r.executions,
      executing_seconds = p.executing_seconds - r.seconds, idle_seconds = p.idle_seconds - r.idle,
      points = p.points - r.points, with_messages = p.with_messages - r.with_messages
    FROM (SELECT station_id, opened::date AS day, name, count(*) AS executions,
                 sum(execution_seconds) AS seconds, sum(idle_seconds) AS idle, sum(point_count) AS points,
                 count(*) FILTER (WHERE message_count > 0) AS with_messages
          FROM removed WHERE opened IS NOT NULL GROUP BY 1, 2, 3) r
    WHERE p.station_id = r.station_id AND p.day = r.day AND md5(p.name) = md5(r.name);
    DELETE FROM station_day_programs p USING (SELECT DISTINCT station_id, opened::date AS day FROM removed) r
      WHERE p.station_id = r.station_id AND p.day = r.day AND p.executions <= 0;
    UPDATE station_day_messages d SET count = d.count - g.count
    FROM (SELECT r.station_id, r.opened::date AS day, m.message, r.name, count(*) AS count
          FROM removed r JOIN execution_messages m ON m.station_id = r.station_id AND m.local_id = r.local_id
          WHERE r.opened IS NOT NULL GROUP BY 1, 2, 3, 4) g
    WHERE d.station_id = g.station_id AND d.day = g.day AND md5(d.message) = md5(g.message)
      AND md5(d.name) = md5(g.name);
    DELETE FROM station_day_messages d USING (SELECT DISTINCT station_id, opened::date AS day FROM removed) r
      WHERE d.station_id = r.station_id AND d.day = r.day AND d.count <= 0;
  END IF;
  IF TG_OP = 'DELETE' THEN
    -- Counted out above; their own trigger finds no execution of theirs and counts nothing.
    DELETE FROM execution_messages m USING removed r WHERE m.station_id = r.station_id AND m.local_id = r.local_id;
  END IF;
  IF TG_OP IN ('INSERT', 'UPDATE') THEN
    INSERT INTO station_days AS d(station_id, day, executions, executing_seconds, idle_seconds, points,
                                  messages, with_messages)
      SELECT station_id, opened::date, count(*), sum(execution_seconds), sum(idle_seconds), sum(point_count),
             sum(message_count), count(*) FILTER (WHERE message_count > 0)
      FROM added WHERE opened IS NOT NULL GROUP BY 1, 2 ORDER BY 1, 2
    ON CONFLICT (station_id, day) DO UPDATE SET executions = d.executions + EXCLUDED.executions,
      executing_seconds = d.executing_seconds + EXCLUDED.executing_seconds,
      idle_seconds = d.idle_seconds + EXCLUDED.idle_seconds, points = d.points + EXCLUDED.points,
      messages = d.messages + EXCLUDED.messages, with_messages = d.with_messages + EXCLUDED.with_messages;
    INSERT INTO station_day_programs AS p
      SELECT station_id, opened::date, name, count(*), sum(execution_seconds), sum(idle_seconds),
             sum(point_count), count(*) FILTER (WHERE message_count > 0), min(execution_seconds),
             max(execution_seconds)
      FROM added WHERE opened IS NOT NULL GROUP BY 1, 2, 3 ORDER BY 1, 2, 3
    ON CONFLICT (station_id, day, md5(name)) DO UPDATE SET executions = p.executions + EXCLUDED.executions,
      executing_seconds = p.executing_seconds + EXCLUDED.executing_seconds,
      idle_seconds = p.idle_seconds + EXCLUDED.idle_seconds, points = p.points + EXCLUDED.points,
      with_messages = p.with_messages + EXCLUDED.with_messages,
      shortest = least(p.shortest, EXCLUDED.shortest), longest = greatest(p.longest, EXCLUDED.longest);
  END IF;
  IF TG_OP = 'UPDATE' THEN
    INSERT INTO station_day_messages AS d
      SELECT a.station_id, a.opened::date, m.message, a.name, count(*)
      FROM added a JOIN execution_messages m ON m.station_id = a.station_id AND m.local_id = a.local_id
      WHERE a.opened IS NOT NULL GROUP BY 1, 2, 3, 4 ORDER BY 1, 2, 3, 4
    ON CONFLICT (station_id, day, md5(message), md5(name)) DO UPDATE SET count = d.count + EXCLUDED.count;
  END IF;
  IF TG_OP IN ('DELETE', 'UPDATE') THEN
    -- A removal narrows a program's shortest and longest: those of its days are read again.
    UPDATE station_day_programs p SET shortest = x.shortest, longest = x.longest
    FROM (SELECT e.station_id, e.opened::date AS day, md5(e.name) AS digest, min(e.execution_seconds) AS shortest,
                 max(e.execution_seconds) AS longest
          FROM (SELECT DISTINCT station_id, opened::date AS day FROM removed WHERE opened IS NOT NULL) r
          JOIN executions e ON e.station_id = r.station_id AND e.opened >= r.day AND e.opened < r.day + 1
          GROUP BY 1, 2, 3) x
    WHERE p.station_id = x.station_id AND p.day = x.day AND md5(p.name) = x.digest
      AND (p.shortest <> x.shortest OR p.longest <> x.longest);
  END IF;
  RETURN NULL;
END $$;
DROP TRIGGER IF EXISTS executions_kept ON executions;
CREATE TRIGGER executions_kept AFTER INSERT ON executions REFERENCING NEW TABLE AS added
  FOR EACH STATEMENT EXECUTE FUNCTION quorvex_keep_executions();
DROP TRIGGER IF EXISTS executions_removed ON executions;
CREATE TRIGGER executions_removed AFTER DELETE ON executions REFERENCING OLD TABLE AS removed
  FOR EACH STATEMENT EXECUTE FUNCTION quorvex_keep_executions();
DROP TRIGGER IF EXISTS executions_changed ON executions;
CREATE TRIGGER executions_changed AFTER UPDATE ON executions REFERENCING OLD TABLE AS removed NEW TABLE AS added
  FOR EACH STATEMENT EXECUTE FUNCTION quorvex_keep_executions();

-- A message counts on its execution's day, by program; its execution comes
-- first, in the same batch. One removed or changed moves its count, while
-- its execution is there (a removed execution has counted its messages out).
CREATE OR REPLACE FUNCTION quorvex_keep_messages() RETURNS trigger LANGUAGE plpgsql SECURITY DEFINER
  SET search_path = pg_catalog, public, pg_temp AS $$
BEGIN
  IF TG_OP IN ('DELETE', 'UPDATE') THEN
    UPDATE station_day_messages d SET count = d.count - g.count
    FROM (SELECT a.station_id, e.opened::date AS day, a.message, e.name, count(*) AS count
          FROM removed a CROSS JOIN LATERAL (SELECT x.opened, x.name FROM executions x
                                             WHERE x.station_id = a.station_id AND x.local_id = a.local_id
                                             OFFSET 0) e
          WHERE e.opened IS NOT NULL GROUP BY 1, 2, 3, 4) g
    WHERE d.station_id = g.station_id AND d.day = g.day AND md5(d.message) = md5(g.message)
      AND md5(d.name) = md5(g.name);
    DELETE FROM station_day_messages d WHERE d.count <= 0 AND (d.station_id, d.day) IN
      (SELECT a.station_id, x.opened::date FROM removed a JOIN executions x USING (station_id, local_id));
  END IF;
  IF TG_OP IN ('INSERT', 'UPDATE') THEN
    INSERT INTO station_day_messages AS m
      SELECT a.station_id, e.opened::date, a.message, e.name, count(*)
      -- Each execution by its key (OFFSET 0 keeps the lookup per row): the planner cannot
      -- know how few rows a batch adds, and would read all the executions for them.
      FROM added a CROSS JOIN LATERAL (SELECT x.opened, x.name FROM executions x
                                       WHERE x.station_id = a.station_id AND x.local_id = a.local_id OFFSET 0) e
      WHERE e.opened IS NOT NULL GROUP BY 1, 2, 3, 4 ORDER BY 1, 2, 3, 4
    ON CONFLICT (station_id, day, md5(message), md5(name)) DO UPDATE SET count = m.count + EXCLUDED.count;
  END IF;
  RETURN NULL;
END $$;
DROP TRIGGER IF EXISTS execution_messages_kept ON execution_messages;
CREATE TRIGGER execution_messages_kept AFTER INSERT ON execution_messages REFERENCING NEW TABLE AS added
  FOR EACH STATEMENT EXECUTE FUNCTION quorvex_keep_messages();
DROP TRIGGER IF EXISTS execution_messages_removed ON execution_messages;
CREATE TRIGGER execution_messages_removed AFTER DELETE ON execution_messages REFERENCING OLD TABLE AS removed
  FOR EACH STATEMENT EXECUTE FUNCTION quorvex_keep_messages();
DROP TRIGGER IF EXISTS execution_messages_changed ON execution_messages;
CREATE TRIGGER execution_messages_changed AFTER UPDATE ON execution_messages
  REFERENCING OLD TABLE AS removed NEW TABLE AS added FOR EACH STATEMENT EXECUTE FUNCTION quorvex_keep_messages();

-- A stop counts on the day it began in (the station cuts stops at its
-- midnight), its length by its instants; one ended or classified again moves
-- its seconds to where it now stands, one removed takes them out. Planned
-- means classified and planned, as on the station.
CREATE OR REPLACE FUNCTION quorvex_keep_stops() RETURNS trigger LANGUAGE plpgsql SECURITY DEFINER
  SET search_path = pg_catalog, public, pg_temp AS $$
BEGIN
  IF TG_OP = 'INSERT' THEN
    INSERT INTO station_day_stops AS s
      SELECT station_id, started::date, reason, reason <> '' AND planned,
             sum(quorvex_stop_seconds(started, ended, started_at, ended_at))
      FROM added GROUP BY 1, 2, 3, 4 ORDER BY 1, 2, 3, 4
    ON CONFLICT (station_id, day, md5(reason), planned) DO UPDATE SET seconds = s.seconds + EXCLUDED.seconds;
    RETURN NULL;
  END IF;
  IF TG_OP = 'DELETE' THEN
    WITH changed AS (
      SELECT station_id, started::date AS day, reason, reason <> '' AND planned AS planned,
             -quorvex_stop_seconds(started, ended, started_at, ended_at) AS seconds FROM removed)
    INSERT INTO station_day_stops AS s
      SELECT station_id, day, reason, planned, sum(seconds) FROM changed GROUP BY 1, 2, 3, 4 ORDER BY 1, 2, 3, 4
    ON CONFLICT (station_id, day, md5(reason), planned) DO UPDATE SET seconds = s.seconds + EXCLUDED.seconds;
  ELSE
    WITH changed AS (
      SELECT station_id, started::date AS day, reason, reason <> '' AND planned AS planned,
             quorvex_stop_seconds(started, ended, started_at, ended_at) AS seconds FROM added
      UNION ALL
      SELECT station_id, started::date, reason, reason <> '' AND planned,
             -quorvex_stop_seconds(started, ended, started_at, ended_at) FROM removed)
    INSERT INTO station_day_stops AS s
      SELECT station_id, day, reason, planned, sum(seconds) FROM changed GROUP BY 1, 2, 3, 4 ORDER BY 1, 2, 3, 4
    ON CONFLICT (station_id, day, md5(reason), planned) DO UPDATE SET seconds = s.seconds + EXCLUDED.seconds;
  END IF;
  DELETE FROM station_day_stops s USING (SELECT DISTINCT station_id, started::date AS day FROM removed) r
    WHERE s.station_id = r.station_id AND s.day = r.day AND s.seconds = 0;
  RETURN NULL;
END $$;
DROP FUNCTION IF EXISTS quorvex_keep_new_stops();
DROP TRIGGER IF EXISTS stops_kept ON stops;
CREATE TRIGGER stops_kept AFTER INSERT ON stops REFERENCING NEW TABLE AS added
  FOR EACH STATEMENT EXECUTE FUNCTION quorvex_keep_stops();
DROP TRIGGER IF EXISTS stops_changed ON stops;
CREATE TRIGGER stops_changed AFTER UPDATE ON stops REFERENCING OLD TABLE AS removed NEW TABLE AS added
  FOR EACH STATEMENT EXECUTE FUNCTION quorvex_keep_stops();
DROP TRIGGER IF EXISTS stops_removed ON stops;
CREATE TRIGGER stops_removed AFTER DELETE ON stops REFERENCING OLD TABLE AS removed
  FOR EACH STATEMENT EXECUTE FUNCTION quorvex_keep_stops();

-- A TRUNCATE fires no row's trigger: the kept figures would no longer equal
-- the rows. Refused, saying what does the same and keeps them.
CREATE OR REPLACE FUNCTION quorvex_refuse_truncate() RETURNS trigger LANGUAGE plpgsql
  SET search_path = pg_catalog, pg_temp AS $$
BEGIN
  RAISE EXCEPTION 'TRUNCATE of % is refused: the figures the server keeps per station and day would no longer '
                  'equal the rows. DELETE FROM % removes them and their figures alike.', TG_TABLE_NAME, TG_TABLE_NAME;
END $$;
DROP TRIGGER IF EXISTS executions_truncate ON executions;
CREATE TRIGGER executions_truncate BEFORE TRUNCATE ON executions
  FOR EACH STATEMENT EXECUTE FUNCTION quorvex_refuse_truncate();
DROP TRIGGER IF EXISTS execution_messages_truncate ON execution_messages;
CREATE TRIGGER execution_messages_truncate BEFORE TRUNCATE ON execution_messages
  FOR EACH STATEMENT EXECUTE FUNCTION quorvex_refuse_truncate();
DROP TRIGGER IF EXISTS stops_truncate ON stops;
CREATE TRIGGER stops_truncate BEFORE TRUNCATE ON stops
  FOR EACH STATEMENT EXECUTE FUNCTION quorvex_refuse_truncate();

-- Tables of an older version get their figures once, from the rows they hold,
-- under the triggers' locks (no row slips between).
DO $$
BEGIN
  -- Version 5 measures stops by their instants, counts the messages of
  -- removed executions out, and a day's scheduled time by another rule:
  -- figures kept before are made again, and the scheduled seconds of past
  -- days, counted by the earlier rule, are left for the calendar to give.
  IF coalesce((SELECT max(version) FROM quorvex_schema), 0) < 5 THEN
    DELETE FROM station_days; DELETE FROM station_day_programs;
    DELETE FROM station_day_messages; DELETE FROM station_day_stops;
    INSERT INTO station_days(station_id, day, executions, executing_seconds, idle_seconds, points, messages,
                             with_messages)
      SELECT station_id, opened::date, count(*), sum(execution_seconds), sum(idle_seconds), sum(point_count),
             sum(message_count), count(*) FILTER (WHERE message_count > 0)
      FROM executions WHERE opened IS NOT NULL GROUP BY 1, 2;
    INSERT INTO station_day_programs
      SELECT station_id, opened::date, name, count(*), sum(execution_seconds), sum(idle_seconds),
             sum(point_count), count(*) FILTER (WHERE message_count > 0), min(execution_seconds),
             max(execution_seconds)
      FROM executions WHERE opened IS NOT NULL GROUP BY 1, 2, 3;
    INSERT INTO station_day_messages
      SELECT m.station_id, e.opened::date, m.message, e.name, count(*)
      FROM execution_messages m JOIN executions e USING (station_id, local_id)
      WHERE e.opened IS NOT NULL GROUP BY 1, 2, 3, 4;
    INSERT INTO station_day_stops
      SELECT station_id, started::date, reason, reason <> '' AND planned,
             sum(quorvex_stop_seconds(started, ended, started_at, ended_at))
      FROM stops GROUP BY 1, 2, 3, 4;
  END IF;
END $$;

DELETE FROM quorvex_schema WHERE version < 6;
INSERT INTO quorvex_schema(version) SELECT 6 WHERE NOT EXISTS (SELECT 1 FROM quorvex_schema);
