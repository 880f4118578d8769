// The columns a record set and a grid keep their cells in: whatever a column holds, by kind or as
// texts in any of its stores, and however it changes (values appended, cells written or set null,
// widened to variants or texts, narrowed to row numbers), it reads back what went in.

#include "common/Convert.h"
#include "db/FieldColumn.h"
#include "db/FieldTexts.h"

#include <QDateTime>
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

QVariantList Texts(const QVariantList &values)
{
    QVariantList texts;
    for (const QVariant &value : values)
        texts << (value.isNull() ? Null : QVariant(DatabaseValueText(value)));
    return texts;
}

} // namespace

class tst_FieldColumn : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void kinds_data()
    {
        QTest::addColumn<QVariantList>("values");
        QTest::addColumn<bool>("holdsTexts"); // as a grid sees it: an empty cell is ""
        const QDateTime local(QDate(2024, 3, 5), QTime(14, 7, 9));
        const QDateTime utc(QDate(2024, 3, 5), QTime(23, 59, 59), Qt::UTC);
        const QString moment = QStringLiteral("2024-03-05 14:07:09");
        const QString chinese = QStringLiteral("李娜");
        QTest::newRow("integers") << QVariantList{Null, 42, -7, Null} << false;
        QTest::newRow("long_longs") << QVariantList{qlonglong(1) << 40, Null} << false;
        QTest::newRow("unsigned") << QVariantList{7u, 4000000000u, Null} << false;
        QTest::newRow("reals") << QVariantList{0.1 + 0.2, Null, -1e300} << false;
        QTest::newRow("floats") << QVariantList{1.5f, Null} << false;
        QTest::newRow("dates") << QVariantList{QDate(2024, 2, 29), Null, QDate(999, 12, 31)}
                               << false;
        QTest::newRow("moments_local")
            << QVariantList{local, Null, QDateTime(QDate(999, 1, 1), QTime(1, 2, 3))} << false;
        QTest::newRow("moments_utc") << QVariantList{utc, utc.addDays(1)} << false;
        QTest::newRow("moment_texts")
            << QVariantList{moment, Null, QStringLiteral("2024-02-29 00:00:00")} << false;
        QTest::newRow("texts") << QVariantList{QString(""), "O'Neil", chinese, Null,
                                               QString(40000, u'x')}
                               << true;
        // Widened: to texts while nothing else is held, else to variants.
        QTest::newRow("nulls_then_text") << QVariantList{Null, Null, chinese} << true;
        QTest::newRow("moment_texts_then_text")
            << QVariantList{moment, QStringLiteral("2024-13-01 00:00:00"), Null} << true;
        QTest::newRow("text_then_moment_text") << QVariantList{"x", moment} << true;
        QTest::newRow("integer_then_text") << QVariantList{1, "one", Null} << false;
        QTest::newRow("integer_then_long_long") << QVariantList{1, qlonglong(2)} << false;
        QTest::newRow("real_then_float") << QVariantList{2.5, 1.5f} << false;
        QTest::newRow("date_then_moment") << QVariantList{QDate(2024, 3, 5), local} << false;
        QTest::newRow("moment_then_moment_text") << QVariantList{local, moment} << false;
        QTest::newRow("moment_zones") << QVariantList{local, utc, local} << false;
        QTest::newRow("moment_offset")
            << QVariantList{QDateTime(local.date(), local.time(), Qt::OffsetFromUTC, 3600)}
            << false;
        QTest::newRow("text_then_integer") << QVariantList{"a", 1, Null, chinese} << false;
        QTest::newRow("variants_take_all")
            << QVariantList{true, 1, 2.5, "x", QDate(2024, 1, 1), Null, QByteArray("b")} << false;
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
        values = Texts(values);
        values[last] = QStringLiteral("it's 李");
        column.setText(last, values[last].toString());
        column.setNull(0);
        values[0] = Null;
        COMPARE_COLUMN(column, values);

        column.numberRows();
        column.appendText(QString());
        column.setText(0, QStringLiteral("1"));
        QVariantList numbers;
        for (qsizetype row = 0; row <= values.size(); ++row)
            numbers << QString::number(row + 1);
        COMPARE_COLUMN(column, numbers);
        column.setText(1, QStringLiteral("x"));
        numbers[1] = QStringLiteral("x");
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
