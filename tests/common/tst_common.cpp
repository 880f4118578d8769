// What every part reads from the application folder: SystemConfig.ini (the Windows profile rules
// and the grid colours), captions from the language packs shipped with the module and the
// language's font, the error log byte for byte, and the host program's ardenta.conf.

#include "common/ArdentaError.h"
#include "common/BuiltinLanguagePack.h"
#include "common/Clock.h"
#include "common/Config.h"
#include "common/ErrLog.h"
#include "common/Language.h"
#include "common/Session.h"
#include "office/HostSettings.h"
#include "TestHome.h"
#include "TestPacks.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QtTest>

class tst_common : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Every row reads [GridColor] FontColor.
    void readConfigValue_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QString>("expected");
        QTest::newRow("names_ignore_case") << QByteArray("[gridcolor]\r\nFONTCOLOR = 7\r\n") << "7";
        QTest::newRow("comment_skipped")
            << QByteArray("[GridColor]\n;FontColor=1\nFontColor=2") << "2";
        QTest::newRow("first_wins") << QByteArray("[GridColor]\nFontColor=1\nFontColor=2") << "1";
        QTest::newRow("other_section") << QByteArray("[A]\nFontColor=1\n[GridColor]\nx=2") << "";
        QTest::newRow("cut_at_255")
            << "[GridColor]\nFontColor=" + QByteArray(300, 'x') << QString(255, u'x');
        QTest::newRow("cut_keeps_emoji_whole")
            << "[GridColor]\nFontColor=" + QByteArray(254, 'x') + "\xF0\x9F\x98\x80"
            << QString(254, u'x');
    }
    void readConfigValue()
    {
        QFETCH(QByteArray, ini);
        TestHome home;
        home.writeConfig(ini);
        QTEST(ReadConfigValue("GridColor", "FontColor"), "expected");
    }

    void gridColours_data()
    {
        QTest::addColumn<QByteArray>("value"); // null: no SystemConfig.ini at all
        QTest::addColumn<int>("expected");
        QTest::newRow("no_file") << QByteArray() << 0;
        QTest::newRow("negative_ignored") << QByteArray("-5") << 0;
        QTest::newRow("text_ignored") << QByteArray("abc") << 0;
        QTest::newRow("blanks_around_white") << QByteArray("   16777215   ") << 16777215;
        QTest::newRow("half_to_even_down") << QByteArray("2.5") << 2;
        QTest::newRow("half_to_even_up") << QByteArray("3.5") << 4;
        QTest::newRow("exponent") << QByteArray("1e3") << 1000;
    }
    void gridColours()
    {
        QFETCH(QByteArray, value);
        TestHome home;
        Session().glngGridFontColor = Session().glngGridBackColor = 42; // each read starts at 0
        if (!value.isNull())
            home.writeConfig("[GridColor]\nFontColor=" + value + "\nBackColor=" + value + "\n");
        GetSpecialConfig();
        QTEST(Session().glngGridFontColor, "expected");
        QTEST(Session().glngGridBackColor, "expected");
        QCOMPARE(home.logEntryCount(), 0);
    }

    void colourPast32BitsIsLoggedAndLaterKeysKeepValues()
    {
        TestHome home;
        Session().glngGridBackColor = 111;
        home.writeConfig("[GridColor]\nFontColor=255\nFixedFontColor=99999999999\nBackColor=7\n");
        GetSpecialConfig();
        QCOMPARE(Session().glngGridFontColor, 255);
        QCOMPARE(Session().glngGridFixedFontColor, 0);
        QCOMPARE(Session().glngGridBackColor, 111);
        QCOMPARE(home.logEntryCount(), 1);
        QVERIFY(home.logText().startsWith("函数/过程:GetSpecialConfig,模块:modPublic"));
        QVERIFY(home.logText().contains(":Overflow\r\n"));
    }

    // No detail, a blank one (left out), one kept untrimmed, and a caught failure in Chinese.
    void errLogEntriesMatchGoldenFile()
    {
        TestHome home;
        SetClock([] { return QDateTime(QDate(2024, 1, 5), QTime(13, 45, 7, 900)); });
        for (const QString detail : {"", "    ", "  Select * From Vw_Clerk "})
            WriteErrLog("Syntax error", "LoadData", "frmMain", detail);
        LogFailure(ArdentaError("列名无效"), "SaveData", "frmMain", "张三");
        SetClock({});
        QFile golden(QFINDTESTDATA("../data/errlog-entries.txt"));
        QVERIFY(golden.open(QIODevice::ReadOnly));
        QCOMPARE(home.logBytes(), golden.readAll());
    }

    // The default for a blank id, the pack not asked; once a pack exists its answer stands, an
    // empty one too. A pack file of the host's own replaces the shipped one.
    void captionLookup()
    {
        TestHome home;
        Session().gobjLanguagePack = std::make_shared<ThrowingPack>();
        QCOMPARE(GetLangText("  ", "Exit"), "Exit");
        QFile file(home.file("mine.lang"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("[Text]\n0068=Stored.\n") > 0);
        file.close();
        auto own = std::make_shared<BuiltinLanguagePack>();
        own->Init(QString(), "ENG", QVariant(file.fileName()));
        Session().gobjLanguagePack = own;
        QCOMPARE(GetLangText("0068", "Saved!"), "Stored.");
        QCOMPARE(GetLangText("0069", "Failed!"), QString());
    }

    void shippedPacksCoverEveryId_data()
    {
        QTest::addColumn<QString>("language");
        QTest::newRow("ENG") << "ENG";
        QTest::newRow("CHS") << "CHS";
        QTest::newRow("unknown_reads_english") << "XYZ";
    }
    void shippedPacksCoverEveryId()
    {
        QFETCH(QString, language);
        TestHome home;
        BuiltinLanguagePack pack;
        pack.Init(QString(), language, QVariant(QString()));
        // Every text id the windows, boxes and report ask for.
        const QStringList ids =
            QStringLiteral(
                "0006 0008 0010 0037 0053 0057 0062 0068 0069 0070 0077 0082 0083 0114 0158 0159 "
                "0165 0166 0274 0406 0419 0420 0421 0422 0423 0424 0425 0426 0427 0436 0438 0439 "
                "0482 0483 0484 0485 0486 0487 0488 0489 0490 0491 0492 0493 0494 0495 0496 0497 "
                "0500 0501 0502 0503 0504 0505 0506 0507 0508 0509 0510 0511")
                .split(u' ');
        const QRegularExpression han("\\p{Han}");
        for (const QString &id : ids) {
            const QString text = pack.GetText(id);
            QVERIFY2(!text.isEmpty(), qPrintable(id));
            // The grid header lines keep their abbreviations (ID, IP, QQ) in every language.
            if (language == "CHS" && id != "0419" && id != "0420")
                QVERIFY2(han.match(text).hasMatch(), qPrintable(id));
        }
        QCOMPARE(pack.GetText("0419").count(u'|'), 15); // one per grid column
        QCOMPARE(pack.GetText("0420").count(u'|'), 3);
    }

    // A pack's [Font] FontSize up to the largest the size type holds; unreadable ones are refused,
    // and so are larger ones (fuzz/corpus/langpack/big_font).
    void packFontSize_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<int>("size");
        QTest::newRow("read") << QByteArray("12") << 12;
        QTest::newRow("largest") << QByteArray("32767") << 32767;
        QTest::newRow("negative") << QByteArray("-3") << 9;
        QTest::newRow("unreadable") << QByteArray("abc") << 9;
    }
    void packFontSize()
    {
        QFETCH(QByteArray, value);
        TestHome home;
        QVERIFY(QDir(home.path()).mkdir("lang"));
        QFile file(home.file("lang/XTS.lang"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("[Font]\nFontSize=" + value) > 0);
        file.close();
        BuiltinFontScheme scheme;
        scheme.SetLanguage("xts");
        QTEST(int(scheme.FontSize()), "size");
    }

    // ardenta.conf: the user's file above the system-wide one, but the permissions only from
    // the system-wide one; unreadable values are reported and leave the default.
    void hostSettingsPrecedence()
    {
        TestHome home;
        QCOMPARE(HostConfig::Read().effectiveOperator(), HostConfig::LoginName());
        home.writeSettings(true, "[Database]\nConnection=Provider=PostgreSQL;Host=/run/pg;"
                                 "Database=staff\nDialect=1\n[User]\nLanguage=ENG\n"
                                 "[Permissions]\nEditStaff=true\nEditNotice=maybe\n"
                                 "[Notice]\nCheckSeconds=5\n");
        home.writeSettings(false, "[database]\nconnection=sqlite:/srv/a;b.db\n[User]\n"
                                  "Operator=张三\n[Permissions]\nEditNotice=true\n"
                                  "[Presence]\nEnabled=no\nRefreshSeconds=0\n"
                                  "[Notice]\nCheckSeconds=1.5\n");
        const HostSettings settings = HostConfig::Read();
        QCOMPARE(settings.connection, "sqlite:/srv/a;b.db");
        QCOMPARE(settings.dialect, qint16(1));
        QCOMPARE(settings.language, "ENG");
        QCOMPARE(settings.effectiveOperator(), "张三");
        QVERIFY(settings.editStaff && !settings.editNotice && !settings.presence);
        QCOMPARE(settings.presenceSeconds, 60);
        QCOMPARE(settings.noticeCheckSeconds, 5);
        // EditNotice=maybe, RefreshSeconds=0, CheckSeconds=1.5
        QCOMPARE(settings.problems.size(), 3);
    }

    // The dialog's save: read back as written, quotes and Chinese included; never a password.
    void hostSettingsWritten()
    {
        TestHome home;
        HostSettings settings;
        settings.connection = "'quoted' postgresql:///staff?service=office";
        settings.operatorName = " 李娜 ";
        settings.presence = false;
        QString error;
        QVERIFY2(HostConfig::WriteUser(settings, &error), qPrintable(error));
        const HostSettings read = HostConfig::Read();
        QCOMPARE(read.connection, settings.connection);
        QCOMPARE(read.operatorName, settings.operatorName);
        QVERIFY(!read.presence);
        const auto others = QFileDevice::ReadGroup | QFileDevice::ReadOther;
        QVERIFY(!(QFile::permissions(HostConfig::UserFile()) & others));
        settings.connection = "postgresql://ann:secret@db/staff";
        QVERIFY(!HostConfig::WriteUser(settings, &error));
        QVERIFY(error.contains("pgpass"));
        QCOMPARE(HostConfig::Read().connection, read.connection);
    }
};

QTEST_GUILESS_MAIN(tst_common)
#include "tst_common.moc"
