// Values: FormatStr and Nulltostr, which make the literals every statement is built from and the
// display texts; and the columns a record set and a grid keep their cells in: whatever a column
// holds, by kind or as texts in any of its stores, and however it changes (values appended, cells
// written or set null, widened to variants or texts, narrowed to row numbers), it reads back what
// went in.

#include "common/Convert.h"
#include "db/FieldColumn.h"
#include "db/FieldTexts.h"
#include "db/ValueFormat.h"
#include "TestHome.h"

#include <ctime>
#include <QDateTime>
#include <QLocale>
#include <QTest>

namespace {

using Store = FieldTexts::Store;
const QVariant Null;

// A value reads back as the QVariant it came as, its text is DatabaseValueText of it.
QString Mismatch(const FieldColumn &column, const QVariantList &expected)
{
    if (column.size() != expected.size())
        return QStringLiteral("%1 rows, not %2").arg(column.size()).arg(expected.size());
    for (qsizetype row = 0; row < expected.size(); ++row) {
        const QVariant &want = expected[row];
        const QVariant got = column.value(row);
        const bool zone = want.typeId() != QMetaType::QDateTime ||
                          got.toDateTime().timeSpec() == want.toDateTime().timeSpec();
        if (got.typeId() != want.typeId() || got != want || !zone ||
            column.isNull(row) != want.isNull() || column.text(row) != DatabaseValueText(want))
            return QStringLiteral("row %1: %2 \"%3\", not %4 \"%5\"")
                .arg(row)
                .arg(QLatin1String(got.typeName()), column.text(row),
                     QLatin1String(want.typeName()), DatabaseValueText(want));
    }
    return {};
}

#define COMPARE_COLUMN(column, expected)                                                           \
    do {                                                                                           \
        const QString mismatch = Mismatch(column, expected);                                       \
        QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));                                        \
    } while (false)

} // namespace

class tst_FieldColumn : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Away from UTC, where 02:30 on 2024-03-10 does not exist: typed, it is still a valid value.
    void initTestCase() { qputenv("TZ", "America/New_York"), tzset(); }

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
        QTest::newRow("daylight_saving_gap") << "2024-3-10 2:30" << true << "'2024-03-10 02:30:00'";
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

    void nulltostr_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("null_field") << QVariant() << "";
        QTest::newRow("typed_null") << QVariant(QMetaType::fromType<QString>()) << "";
        QTest::newRow("trimmed") << QVariant("  abc ") << "abc";
        QTest::newRow("number") << QVariant(7) << "7";
        QTest::newRow("timestamp")
            << QVariant(QDateTime(QDate(2024, 1, 5), QTime(9, 3, 7))) << "2024-01-05 09:03:07";
        QTest::newRow("date") << QVariant(QDate(2024, 12, 31)) << "2024-12-31";
        QTest::newRow("boolean") << QVariant(true) << "True";
        QTest::newRow("no_text_form") << QVariant(QVariantMap{{"a", 1}}) << "";
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

    void kinds_data()
    {
        QTest::addColumn<QVariantList>("values");
        QTest::addColumn<bool>("holdsTexts"); // as a grid sees it: an empty cell is ""
        const QDateTime local(QDate(2024, 3, 5), QTime(14, 7, 9));
        const QDateTime utc(QDate(2024, 3, 5), QTime(23, 59, 59), Qt::UTC);
        const QString moment = "2024-03-05 14:07:09";
        const QString chinese = "李娜";
        const auto row = [](const char *tag, const QVariantList &values, bool holdsTexts = false) {
            QTest::newRow(tag) << values << holdsTexts;
        };
        row("integers", {Null, 42, -7, Null});
        row("long_longs", {qlonglong(1) << 40, Null});
        row("unsigned", {7u, 4000000000u, Null});
        row("reals", {0.1 + 0.2, Null, -1e300});
        row("floats", {1.5f, Null});
        row("dates", {QDate(2024, 2, 29), Null, QDate(999, 12, 31)});
        row("moments_local", {local, Null, QDateTime(QDate(999, 1, 1), QTime(1, 2, 3))});
        row("moments_utc", {utc, utc.addDays(1)});
        row("moment_texts", {moment, Null, "2024-02-29 00:00:00"});
        row("texts", {QString(""), "O'Neil", chinese, Null, QString(40000, u'x')}, true);
        // Widened: to texts while nothing else is held, else to variants.
        row("nulls_then_text", {Null, Null, chinese}, true);
        row("moment_texts_then_text", {moment, "2024-13-01 00:00:00", Null}, true);
        row("text_then_moment_text", {"x", moment}, true);
        row("integer_then_text", {1, "one", Null});
        row("integer_then_long_long", {1, qlonglong(2)});
        row("real_then_float", {2.5, 1.5f});
        row("date_then_moment", {QDate(2024, 3, 5), local});
        row("moment_then_moment_text", {local, moment});
        row("moment_zones", {local, utc, local});
        row("moment_offset", {QDateTime(local.date(), local.time(), Qt::OffsetFromUTC, 3600)});
        row("text_then_integer", {"a", 1, Null, chinese});
        row("variants_take_all", {true, 1, 2.5, "x", QDate(2024, 1, 1), Null, QByteArray("b")});
    }

    // Appended, then as a grid writes: an empty cell, a row removed, the last rows dropped (an
    // undone paste), a text written, a cell set null, row numbers, and a text over a row number.
    void kinds()
    {
        QFETCH(QVariantList, values);
        QFETCH(bool, holdsTexts);
        FieldColumn column;
        for (const QVariant &value : values)
            column.append(value);
        COMPARE_COLUMN(column, values);

        column.appendText(QString());
        values << (holdsTexts ? QVariant(QString("")) : Null);
        column.remove(0);
        values.removeFirst();
        COMPARE_COLUMN(column, values);
        column.append(Null);
        column.truncate(values.size());
        COMPARE_COLUMN(column, values);
        // A record read in between, as a board puts a new notice where its time belongs.
        const auto taken = std::find_if(values.cbegin(), values.cend(),
                                        [](const QVariant &value) { return !value.isNull(); });
        const QVariant inserted = taken == values.cend() ? Null : *taken;
        column.insert(1, inserted);
        values.insert(1, inserted);
        COMPARE_COLUMN(column, values);

        const qsizetype last = values.size() - 1;
        for (QVariant &value : values) // widened to texts
            value = value.isNull() ? Null : QVariant(DatabaseValueText(value));
        values[last] = "it's 李";
        column.setText(last, values[last].toString());
        column.setNull(0);
        values[0] = Null;
        COMPARE_COLUMN(column, values);

        column.numberRows();
        column.appendText(QString());
        column.setText(0, "1");
        QVariantList numbers;
        for (qsizetype row = 0; row <= values.size(); ++row)
            numbers << QString::number(row + 1);
        COMPARE_COLUMN(column, numbers);
        column.setText(1, "x");
        numbers[1] = "x";
        COMPARE_COLUMN(column, numbers);
    }

    void textStores_data()
    {
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<Store>("store");
        QTest::addColumn<QString>("written");  // into row 5
        QTest::addColumn<Store>("storeAfter"); // the text written, then row 0 removed
        const auto distinct = [](int count, int length = 0) {
            QStringList texts;
            for (int i = 0; i < count; ++i)
                texts << QStringLiteral("李 O'Neil %1").arg(i).leftJustified(length, u'.');
            return texts;
        };
        const QStringList repeated = distinct(100) + distinct(100) + distinct(100);
        const QString longText(int(FieldTexts::BlockChars) + 1, u'x');
        QTest::newRow("repeated") << repeated << Store::Dictionary << repeated[3]
                                  << Store::Dictionary;
        QTest::newRow("repeated_new_text")
            << repeated + QStringList{QString()} << Store::Dictionary << "new" << Store::Dictionary;
        QTest::newRow("dictionary_full")
            << repeated + distinct(FieldTexts::DictionaryLimit).mid(100) << Store::Dictionary
            << "new" << Store::Strings;
        QTest::newRow("dictionary_overflows")
            << repeated + distinct(5000) << Store::Packed << repeated[3] << Store::Strings;
        QTest::newRow("mostly_different")
            << distinct(40000) + QStringList{QString()} << Store::Packed << "" << Store::Strings;
        // Texts that do not fit the rest of a block start the next one.
        QTest::newRow("across_blocks")
            << distinct(300, 1000) + QStringList{QString(FieldTexts::BlockChars, u'b'), "e"}
            << Store::Packed << "new" << Store::Strings;
        QTest::newRow("long_text_in_dictionary")
            << QStringList{longText} + distinct(300) << Store::Strings << "new" << Store::Strings;
        QTest::newRow("long_text_after_packing") << distinct(300) + QStringList{longText, "e"}
                                                 << Store::Strings << "new" << Store::Strings;
    }
    void textStores()
    {
        QFETCH(QStringList, texts);
        QFETCH(QString, written);
        FieldTexts stored;
        for (const QString &text : texts)
            stored.append(text);
        QTEST(stored.store(), "store");
        // The last rows dropped (an undone paste), and one appended after them.
        stored.truncate(texts.size() - 2);
        texts.resize(texts.size() - 2);
        stored.append(texts.front());
        texts << texts.front();
        QTEST(stored.store(), "store");
        stored.append(texts[1]);
        stored.moveLastTo(1);
        texts.insert(1, texts[1]);
        for (qsizetype row = 0; row < texts.size(); ++row)
            QCOMPARE(stored.at(row), texts[row]);
        stored.set(5, written);
        texts[5] = written;
        stored.remove(0);
        texts.removeFirst();
        QTEST(stored.store(), "storeAfter");
        QCOMPARE(stored.size(), texts.size());
        for (qsizetype row = 0; row < texts.size(); ++row)
            QCOMPARE(stored.at(row), texts[row]);
    }
};

QTEST_GUILESS_MAIN(tst_FieldColumn)
#include "tst_fieldcolumn.moc"
