-- QLX_Ardenta on SQLite: every insert, change and delete of a Clerk row is kept in
-- Clerk_History with the time and the row before and after as JSON text, whichever program
-- wrote it. SQLite has no sessions, so who made a change is not known. A change that changes no
-- value writes nothing; empty columns are left out of the JSON (json_patch drops nulls). SQLite
-- has no row-to-JSON: ardenta --init-db fills in Clerk's columns
-- ({columns:NEW}: a name and NEW's value for each; {changed}: one of them differs between OLD
-- and NEW) and makes the triggers again whenever Clerk's columns differ from those they name.

-- The key is the rowid: newest highest, for as long as the newest entries are kept (pruning
-- takes the oldest), without AUTOINCREMENT's bookkeeping on every change.
CREATE TABLE IF NOT EXISTS Clerk_History (
    History_ID INTEGER PRIMARY KEY,
    Clerk_ID INTEGER NOT NULL,
    History_Time TEXT NOT NULL DEFAULT (strftime('%Y-%m-%d %H:%M:%S', 'now', 'localtime')),
    History_User TEXT,
    History_Kind TEXT NOT NULL,
    History_Before TEXT,
    History_After TEXT
);

-- One row's changes, newest first; the deleted rows, newest first.
CREATE INDEX IF NOT EXISTS IX_Clerk_History_Clerk ON Clerk_History (Clerk_ID, History_ID);
CREATE INDEX IF NOT EXISTS IX_Clerk_History_Deleted ON Clerk_History (History_ID)
    WHERE History_Kind = 'DELETE';

DROP TRIGGER IF EXISTS Clerk_History_Insert;
CREATE TRIGGER Clerk_History_Insert AFTER INSERT ON Clerk
BEGIN
    INSERT INTO Clerk_History (Clerk_ID, History_Kind, History_After)
    VALUES (NEW.Clerk_ID, 'INSERT', json_patch('{}', json_object({columns:NEW})));
END;

DROP TRIGGER IF EXISTS Clerk_History_Update;
CREATE TRIGGER Clerk_History_Update AFTER UPDATE ON Clerk WHEN {changed}
BEGIN
    INSERT INTO Clerk_History (Clerk_ID, History_Kind, History_Before, History_After)
    VALUES (NEW.Clerk_ID, 'UPDATE', json_patch('{}', json_object({columns:OLD})), json_patch('{}', json_object({columns:NEW})));
END;

DROP TRIGGER IF EXISTS Clerk_History_Delete;
CREATE TRIGGER Clerk_History_Delete AFTER DELETE ON Clerk
BEGIN
    INSERT INTO Clerk_History (Clerk_ID, History_Kind, History_Before)
    VALUES (OLD.Clerk_ID, 'DELETE', json_patch('{}', json_object({columns:OLD})));
END;
