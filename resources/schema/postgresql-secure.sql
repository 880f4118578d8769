-- QLX_Ardenta on a PostgreSQL database shared by an office: who may change what is kept by the
-- database itself. Run by ardenta --init-db --secure after the tables exist; running it again
-- changes nothing. CREATE ROLE and CREATE POLICY have no IF NOT EXISTS, so both go through
-- DO blocks that look first.

-- Readers see everything; notice writers publish, change and delete their own notices; staff
-- editors change the directory as well. Each login is a member of one of them.
DO $roles$
BEGIN
    IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'staff_readers') THEN
        CREATE ROLE staff_readers NOLOGIN;
    END IF;
    IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'notice_writers') THEN
        CREATE ROLE notice_writers NOLOGIN IN ROLE staff_readers;
    END IF;
    IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'staff_editors') THEN
        CREATE ROLE staff_editors NOLOGIN IN ROLE notice_writers;
    END IF;
    EXECUTE format('GRANT CONNECT ON DATABASE %I TO staff_readers', current_database());
END
$roles$;

GRANT SELECT ON Clerk, Notice, OnLine, Vw_Clerk TO staff_readers;
-- Presence: each host keeps its own row.
GRANT INSERT, UPDATE, DELETE ON OnLine TO staff_readers;
GRANT INSERT, UPDATE, DELETE ON Notice TO notice_writers;
GRANT USAGE ON SEQUENCE notice_notice_id_seq TO notice_writers;
GRANT INSERT, UPDATE, DELETE ON Clerk TO staff_editors;
GRANT USAGE ON SEQUENCE clerk_clerk_id_seq TO staff_editors;
-- The history of the directory: its editors read it; its triggers write it as its owner, and
-- nobody changes or deletes it through these groups.
GRANT SELECT ON Clerk_History TO staff_editors;

-- A notice is its publisher's, and the publisher is the login that wrote it. Forced, so that
-- the tables' owner is held to it too (superusers never are). Everyone reads every notice.
-- In OnLine a login adds and refreshes its own rows, and deletes its own or those of a host
-- not seen for five minutes (five of the hosts' usual refresh periods): a crashed machine still
-- drops out.
ALTER TABLE Notice ENABLE ROW LEVEL SECURITY;
ALTER TABLE Notice FORCE ROW LEVEL SECURITY;
ALTER TABLE OnLine ENABLE ROW LEVEL SECURITY;
ALTER TABLE OnLine FORCE ROW LEVEL SECURITY;

DO $policies$
DECLARE
    wanted text[][] := ARRAY[
        ['notice', 'notice_read', 'SELECT USING (true)'],
        ['notice', 'notice_publish', 'INSERT WITH CHECK (Notice_Publisher = session_user)'],
        ['notice', 'notice_change', 'UPDATE USING (Notice_Publisher = session_user) '
                                    'WITH CHECK (Notice_Publisher = session_user)'],
        ['notice', 'notice_delete', 'DELETE USING (Notice_Publisher = session_user)'],
        ['online', 'online_read', 'SELECT USING (true)'],
        ['online', 'online_enter', 'INSERT WITH CHECK (UserName = session_user)'],
        ['online', 'online_refresh', 'UPDATE USING (UserName = session_user) '
                                     'WITH CHECK (UserName = session_user)'],
        ['online', 'online_leave', 'DELETE USING (UserName = session_user OR '
                                   'LastSeen < LOCALTIMESTAMP - interval ''5 minutes'')']];
    policy text[];
BEGIN
    FOREACH policy SLICE 1 IN ARRAY wanted LOOP
        IF NOT EXISTS (SELECT FROM pg_policies
                       WHERE schemaname = current_schema() AND tablename = policy[1]
                         AND policyname = policy[2]) THEN
            EXECUTE format('CREATE POLICY %I ON %I FOR %s', policy[2], policy[1], policy[3]);
        END IF;
    END LOOP;
END
$policies$;
