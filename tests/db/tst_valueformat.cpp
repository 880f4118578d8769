// FormatStr and Nulltostr: the literals every statement is built from, and display texts.

#include "db/ValueFormat.h"
#include "TestHome.h"

#include <ctime>
#include <QDateTime>
#include <QLocale>
#include <QTest>

class tst_ValueFormat : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void formatStr_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("quote");
        QTest::addColumn<QString>("expected");
        QTest::newRow("blank_is_null") << "  " << true << "Null";
        QTest::newRow("unquoted") << " it's " << false << "it''s";
        QTest::newRow("number_exponent") << "-2.5E-3" << true << "'-2.5E-3'";
        QTest::newRow("eight_digits_stay_number") << "20240105" << true << "'20240105'";
        QTest::newRow("quote_doubled") << "O'Neil" << true << "'O''Neil'";
        QTest::newRow("only_quotes") << "'''" << true << "''''''''";
        QTest::newRow("date_short") << "2024-1-5" << true << "'2024-01-05 00:00:00'";
        QTest::newRow("date_slashes_time") << "2024/1/5 9:07" << true << "'2024-01-05 09:07:00'";
        QTest::newRow("time_alone_zero_date") << "13:45" << true << "'1899-12-30 13:45:00'";
        QTest::newRow("tab_is_not_a_blank") << "\tx " << true << "'\tx'";
    }

    // The same texts count as numbers and dates whatever the machine's locale.
    void formatStr()
    {
        QFETCH(QString, value);
        QFETCH(bool, quote);
        TestHome home;
        QTEST(FormatStr(value, quote), "expected");
        const QLocale previous;
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); // "," decimals, d.M.yyyy
        const QString german = FormatStr(value, quote);
        QLocale::setDefault(previous);
        QTEST(german, "expected");
        QCOMPARE(home.logEntryCount(), 0);
    }

    void formatStrInDaylightSavingGap()
    {
        // 02:30 does not exist on that day in New York; the typed text is still a valid value.
        const QByteArray previous = qgetenv("TZ");
        qputenv("TZ", "America/New_York");
        tzset();
        const QString result = FormatStr(QStringLiteral("2024-3-10 2:30"));
        qputenv("TZ", previous);
        tzset();
        QCOMPARE(result, QStringLiteral("'2024-03-10 02:30:00'"));
    }

    void nulltostr_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("null_field") << QVariant() << "";
        QTest::newRow("typed_null") << QVariant(QMetaType::fromType<QString>()) << "";
        QTest::newRow("trimmed") << QVariant(QStringLiteral("  abc ")) << "abc";
        QTest::newRow("number") << QVariant(7) << "7";
        QTest::newRow("timestamp")
            << QVariant(QDateTime(QDate(2024, 1, 5), QTime(9, 3, 7))) << "2024-01-05 09:03:07";
        QTest::newRow("date") << QVariant(QDate(2024, 12, 31)) << "2024-12-31";
        QTest::newRow("boolean") << QVariant(true) << "True";
        QTest::newRow("no_text_form") << QVariant(QVariantMap{{QStringLiteral("a"), 1}}) << "";
    }

    // A value with no text form gives "" and one log entry; the others log nothing.
    void nulltostr()
    {
        QFETCH(QVariant, value);
        TestHome home;
        QTEST(Nulltostr(value), "expected");
        const bool logged = value.typeId() == QMetaType::QVariantMap;
        QCOMPARE(home.logText().startsWith(u"函数/过程:Nulltostr,模块:modPublic\r\n"), logged);
        QCOMPARE(home.logEntryCount(), logged ? 1 : 0);
    }
};

QTEST_GUILESS_MAIN(tst_ValueFormat)
#include "tst_valueformat.moc"
