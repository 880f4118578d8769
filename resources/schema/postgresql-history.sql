-- QLX_Ardenta on PostgreSQL: every insert, change and delete of a Clerk row is kept in
-- Clerk_History with the server's time, who made it, and the row before and after as JSON text,
-- whichever program wrote it (psql included); empty columns are left out of the JSON. A change
-- that changes no value writes nothing.
-- ardenta --init-db runs it on new and existing databases whenever the table, the triggers or
-- the function's body are missing or differ; running it again changes nothing.

-- Runs inside InitDatabase's transaction; the notices that a first run has nothing to drop are
-- no news.
SET LOCAL client_min_messages = warning;

CREATE TABLE IF NOT EXISTS Clerk_History (
    History_ID bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
    Clerk_ID integer NOT NULL,
    History_Time timestamp(0) without time zone NOT NULL DEFAULT LOCALTIMESTAMP(0),
    History_User text,
    History_Kind text NOT NULL,
    History_Before text,
    History_After text
);

-- One row's changes, newest first; the deleted rows, newest first.
CREATE INDEX IF NOT EXISTS IX_Clerk_History_Clerk ON Clerk_History (Clerk_ID, History_ID);
CREATE INDEX IF NOT EXISTS IX_Clerk_History_Deleted ON Clerk_History (History_ID)
    WHERE History_Kind = 'DELETE';

-- Runs as the table's owner, so that the history is written where nobody else may write. Who:
-- on a database secured with logins the login, which nobody can forge (session_user stays the
-- caller inside SECURITY DEFINER); elsewhere the operator the module declares on its
-- connections, or the login of a program that declares none.
CREATE OR REPLACE FUNCTION ardenta_clerk_history() RETURNS trigger
LANGUAGE plpgsql SECURITY DEFINER AS $history$
DECLARE
    who text := session_user;
BEGIN
    IF NOT Coalesce((SELECT relrowsecurity FROM pg_class WHERE oid = to_regclass('notice')),
                    false) THEN
        who := Coalesce(NullIf(current_setting('ardenta.operator', true), ''), session_user);
    END IF;
    IF TG_OP = 'INSERT' THEN
        INSERT INTO Clerk_History (Clerk_ID, History_User, History_Kind, History_After)
        VALUES (NEW.Clerk_ID, who, TG_OP, json_strip_nulls(row_to_json(NEW))::text);
    ELSIF TG_OP = 'UPDATE' THEN
        INSERT INTO Clerk_History (Clerk_ID, History_User, History_Kind, History_Before,
                                   History_After)
        VALUES (NEW.Clerk_ID, who, TG_OP, json_strip_nulls(row_to_json(OLD))::text,
                json_strip_nulls(row_to_json(NEW))::text);
    ELSE
        INSERT INTO Clerk_History (Clerk_ID, History_User, History_Kind, History_Before)
        VALUES (OLD.Clerk_ID, who, TG_OP, json_strip_nulls(row_to_json(OLD))::text);
    END IF;
    RETURN NULL;
END
$history$;

-- A SECURITY DEFINER function finds its tables only where the owner put them.
DO $pin$
BEGIN
    EXECUTE format('ALTER FUNCTION ardenta_clerk_history() SET search_path = %I, pg_temp',
                   current_schema());
END
$pin$;

DROP TRIGGER IF EXISTS clerk_history ON Clerk;
CREATE TRIGGER clerk_history AFTER INSERT OR DELETE ON Clerk
    FOR EACH ROW EXECUTE FUNCTION ardenta_clerk_history();
DROP TRIGGER IF EXISTS clerk_history_update ON Clerk;
CREATE TRIGGER clerk_history_update AFTER UPDATE ON Clerk
    FOR EACH ROW WHEN (OLD.* IS DISTINCT FROM NEW.*) EXECUTE FUNCTION ardenta_clerk_history();
