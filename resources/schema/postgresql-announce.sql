-- QLX_Ardenta on PostgreSQL: every notice inserted, changed or deleted is announced on the
-- channel ardenta_notice with its id, so that the host programs listening show it at once,
-- whichever program wrote it (psql included). A notification goes out when the writing
-- transaction commits, and not at all when it rolls back. ardenta --init-db runs it on new and
-- existing databases whenever the trigger is missing or its function's body differs.

-- Runs inside InitDatabase's transaction; the notice that a first run has no trigger to drop
-- is no news.
SET LOCAL client_min_messages = warning;

CREATE OR REPLACE FUNCTION ardenta_notice_announce() RETURNS trigger
LANGUAGE plpgsql AS $announce$
BEGIN
    IF TG_OP <> 'INSERT' THEN
        PERFORM pg_notify('ardenta_notice', OLD.Notice_ID::text);
    END IF;
    IF TG_OP <> 'DELETE' THEN
        PERFORM pg_notify('ardenta_notice', NEW.Notice_ID::text);
    END IF;
    RETURN NULL;
END
$announce$;

DROP TRIGGER IF EXISTS notice_announce ON Notice;
CREATE TRIGGER notice_announce AFTER INSERT OR UPDATE OR DELETE ON Notice
    FOR EACH ROW EXECUTE FUNCTION ardenta_notice_announce();
