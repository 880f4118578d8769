-- QLX_Ardenta tables for SQLite.
-- Times are stored as text 'yyyy-MM-dd HH:mm:ss' so that they compare correctly with the quoted
-- bounds the module writes.

CREATE TABLE Clerk (
    Clerk_ID INTEGER PRIMARY KEY AUTOINCREMENT,
    Clerk_NO TEXT,
    Clerk_Ext TEXT,
    Clerk_UserName TEXT,
    Clerk_Dept TEXT,
    Clerk_Address TEXT,
    Clerk_Phone TEXT,
    Clerk_Mobile TEXT,
    Clerk_Email TEXT,
    Clerk_IP TEXT,
    Clerk_QQ TEXT,
    Clerk_MSN TEXT,
    Clerk_SKP TEXT,
    Clerk_Computer TEXT,
    Clerk_Memo TEXT
);

CREATE TABLE Notice (
    Notice_ID INTEGER PRIMARY KEY AUTOINCREMENT,
    Notice_DateTime TEXT NOT NULL DEFAULT (strftime('%Y-%m-%d %H:%M:%S', 'now', 'localtime')),
    Notice_Publisher TEXT,
    Notice_Content TEXT
);

CREATE INDEX IX_Notice_DateTime ON Notice (Notice_DateTime);
CREATE INDEX IX_Notice_Publisher ON Notice (Notice_Publisher);

-- Who is online: each host program keeps its row (LastSeen from the server clock), the notice
-- broadcast reads them.
CREATE TABLE OnLine (
    UserIP TEXT NOT NULL,
    UserName TEXT,
    LoginTime TEXT,
    LastSeen TEXT DEFAULT (datetime('now'))
);

-- The staff window binds these columns by position: keep the order.
CREATE VIEW Vw_Clerk AS
SELECT Clerk_ID, Clerk_NO, Clerk_Ext, Clerk_UserName, Clerk_Dept, Clerk_Address, Clerk_Phone,
       Clerk_Mobile, Clerk_Email, Clerk_IP, Clerk_QQ, Clerk_MSN, Clerk_SKP, Clerk_Computer,
       Clerk_Memo
FROM Clerk
ORDER BY Clerk_ID;
