// The host's presence in OnLine through outages of its database.

#include "DbFixture.h"
#include "office/Presence.h"
#include "TestHome.h"

#include <QFile>
#include <QTest>

class tst_Presence : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The host's presence while its database goes away and comes back twice: one log entry per
    // outage, the row back after each.
    void presenceLogsOncePerOutage()
    {
        TestHome home;
        DbFixture db;
        const QString file = db.sqliteFile();
        const QString own = QStringLiteral("OnLine Where UserIP='127.0.0.5'");
        Presence presence({db.connection(), QStringLiteral("127.0.0.5"), QStringLiteral("ann"), 1});
        presence.Start();
        QTRY_COMPARE(db.count(own), 1);
        for (const int outage : {1, 2}) {
            QVERIFY(QFile::rename(file, file + QStringLiteral(".away")));
            QTest::qWait(3500); // three refreshes
            QCOMPARE(home.logEntryCount(), outage);
            QVERIFY(QFile::rename(file + QStringLiteral(".away"), file));
            db.exec(QStringLiteral("Delete From OnLine")); // aged out by another host meanwhile
            QTRY_COMPARE(db.count(own), 1);
        }
        QVERIFY(home.logText().contains(QStringLiteral("Refresh,模块:Presence")));
    }
};

QTEST_GUILESS_MAIN(tst_Presence)
#include "tst_presence.moc"
