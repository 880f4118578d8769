// The error log: entries byte for byte.

#include "common/ArdentaError.h"
#include "common/Clock.h"
#include "common/ErrLog.h"
#include "TestHome.h"

#include <QFile>
#include <QtTest>

class tst_errlog : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // No detail, a blank one (left out), one kept untrimmed, and a caught failure in Chinese.
    void entriesMatchGoldenFile()
    {
        TestHome home;
        SetClock([] { return QDateTime(QDate(2024, 1, 5), QTime(13, 45, 7, 900)); });
        for (const QString detail : {"", "    ", "  Select * From Vw_Clerk "})
            WriteErrLog(QStringLiteral("Syntax error"), QStringLiteral("LoadData"),
                        QStringLiteral("frmMain"), detail);
        LogFailure(ArdentaError(QStringLiteral("列名无效")), QStringLiteral("SaveData"),
                   QStringLiteral("frmMain"), QStringLiteral("张三"));
        SetClock({});
        QFile golden(QFINDTESTDATA("../data/errlog-entries.txt"));
        QVERIFY(golden.open(QIODevice::ReadOnly));
        QCOMPARE(home.logBytes(), golden.readAll());
    }
};

QTEST_GUILESS_MAIN(tst_errlog)
#include "tst_errlog.moc"
