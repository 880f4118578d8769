-- QLX_Ardenta tables for Microsoft SQL Server (run with sqlcmd or SSMS, or through
-- "ardenta --init-db" with an ODBC connection string).
-- Column lengths follow the staff grid's input limits.

CREATE TABLE Clerk (
    Clerk_ID int IDENTITY(1, 1) NOT NULL PRIMARY KEY,
    Clerk_NO nvarchar(50) NULL,
    Clerk_Ext nvarchar(50) NULL,
    Clerk_UserName nvarchar(200) NULL,
    Clerk_Dept nvarchar(150) NULL,
    Clerk_Address nvarchar(200) NULL,
    Clerk_Phone nvarchar(200) NULL,
    Clerk_Mobile nvarchar(200) NULL,
    Clerk_Email nvarchar(200) NULL,
    Clerk_IP nvarchar(50) NULL,
    Clerk_QQ nvarchar(100) NULL,
    Clerk_MSN nvarchar(100) NULL,
    Clerk_SKP nvarchar(100) NULL,
    Clerk_Computer nvarchar(200) NULL,
    Clerk_Memo nvarchar(max) NULL
);
GO

CREATE TABLE Notice (
    Notice_ID int IDENTITY(1, 1) NOT NULL PRIMARY KEY,
    Notice_DateTime datetime NOT NULL DEFAULT (getdate()),
    Notice_Publisher nvarchar(50) NULL,
    Notice_Content nvarchar(max) NULL
);
GO

CREATE INDEX IX_Notice_DateTime ON Notice (Notice_DateTime);
CREATE INDEX IX_Notice_Publisher ON Notice (Notice_Publisher);
GO

-- Who is online: each host program keeps its row (LastSeen from the server clock), the notice
-- broadcast reads them.
CREATE TABLE OnLine (
    UserIP nvarchar(50) NOT NULL,
    UserName nvarchar(50) NULL,
    LoginTime datetime NULL,
    LastSeen datetime NULL DEFAULT GETDATE()
);
GO

-- The staff window binds these columns by position: keep the order.
CREATE VIEW Vw_Clerk AS
SELECT Clerk_ID, Clerk_NO, Clerk_Ext, Clerk_UserName, Clerk_Dept, Clerk_Address, Clerk_Phone,
       Clerk_Mobile, Clerk_Email, Clerk_IP, Clerk_QQ, Clerk_MSN, Clerk_SKP, Clerk_Computer,
       Clerk_Memo
FROM Clerk;
GO
