// SystemConfig.ini: the Windows profile rules and the grid colours read from it; the host
// program's ardenta.conf.

#include "common/Config.h"
#include "common/Session.h"
#include "office/HostSettings.h"
#include "TestHome.h"

#include <QFile>
#include <QtTest>

class tst_config : public QObject
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
        QTEST(ReadConfigValue(QStringLiteral("GridColor"), QStringLiteral("FontColor")),
              "expected");
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
        QFETCH(int, expected);
        TestHome home;
        Session().glngGridFontColor = Session().glngGridBackColor = 42; // each read starts at 0
        if (!value.isNull())
            home.writeConfig("[GridColor]\nFontColor=" + value + "\nBackColor=" + value + "\n");
        GetSpecialConfig();
        QCOMPARE(Session().glngGridFontColor, expected);
        QCOMPARE(Session().glngGridBackColor, expected);
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
        QVERIFY(
            home.logText().startsWith(QStringLiteral("函数/过程:GetSpecialConfig,模块:modPublic")));
        QVERIFY(home.logText().contains(QStringLiteral(":Overflow\r\n")));
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
        QCOMPARE(settings.connection, QStringLiteral("sqlite:/srv/a;b.db"));
        QCOMPARE(settings.dialect, qint16(1));
        QCOMPARE(settings.language, QStringLiteral("ENG"));
        QCOMPARE(settings.effectiveOperator(), QStringLiteral("张三"));
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
        settings.connection = QStringLiteral("'quoted' postgresql:///staff?service=office");
        settings.operatorName = QStringLiteral(" 李娜 ");
        settings.presence = false;
        QString error;
        QVERIFY2(HostConfig::WriteUser(settings, &error), qPrintable(error));
        const HostSettings read = HostConfig::Read();
        QCOMPARE(read.connection, settings.connection);
        QCOMPARE(read.operatorName, settings.operatorName);
        QVERIFY(!read.presence);
        const auto others = QFileDevice::ReadGroup | QFileDevice::ReadOther;
        QVERIFY(!(QFile::permissions(HostConfig::UserFile()) & others));
        settings.connection = QStringLiteral("postgresql://ann:secret@db/staff");
        QVERIFY(!HostConfig::WriteUser(settings, &error));
        QVERIFY(error.contains(QLatin1String("pgpass")));
        QCOMPARE(HostConfig::Read().connection, read.connection);
    }
};

QTEST_GUILESS_MAIN(tst_config)
#include "tst_config.moc"
