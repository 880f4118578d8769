// The statement text the staff window writes: exact forms, which rows become which statement,
// and which keys may stand in a statement at all.

#include "StaffStatements.h"
#include "TestHelpers.h"

#include <QTest>

Q_DECLARE_METATYPE(StaffStatements::RowKind)

char *toString(StaffStatements::RowKind kind)
{
    static const char *const names[] = {"Update", "Insert", "Blank", "BadKey"};
    return qstrdup(names[int(kind)]);
}

namespace {
QStringList Cells(const QString &key, const QStringList &fields)
{
    QStringList cells{key};
    cells += fields;
    while (cells.size() < StaffStatements::FieldCount + 1)
        cells.append(QString());
    return cells;
}
} // namespace

class tst_StaffStatements : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { m_home = std::make_unique<TestHome>(); }
    void cleanup() { m_home.reset(); }

    void updateIsWholeRowWithKeyUnquoted()
    {
        QString text;
        const auto kind = StaffStatements::AppendRow(
            text,
            Cells(QStringLiteral(" 17 "),
                  {QStringLiteral("A-1"), QStringLiteral(" 42 "), QStringLiteral("O'Neil"),
                   QString(), QStringLiteral("   "), QString(), QString(), QString(), QString(),
                   QString(), QString(), QString(), QString(), QStringLiteral("备注")}));
        QCOMPARE(kind, StaffStatements::RowKind::Update);
        QCOMPARE(text, QStringLiteral("Update Clerk Set Clerk_NO='A-1',Clerk_Ext='42',"
                                      "Clerk_UserName='O''Neil',Clerk_Dept=Null,"
                                      "Clerk_Address=Null,Clerk_Phone=Null,Clerk_Mobile=Null,"
                                      "Clerk_Email=Null,Clerk_IP=Null,Clerk_QQ=Null,"
                                      "Clerk_MSN=Null,Clerk_SKP=Null,Clerk_Computer=Null,"
                                      "Clerk_Memo='备注'  Where Clerk_ID=17\r"));
    }

    void insertNamesAllFourteenFields()
    {
        QString text;
        const auto kind = StaffStatements::AppendRow(
            text, Cells(QString(), {QString(), QString(), QStringLiteral("Anna")}));
        QCOMPARE(kind, StaffStatements::RowKind::Insert);
        QCOMPARE(text, QStringLiteral("Insert Into Clerk(Clerk_NO,Clerk_Ext,Clerk_UserName,"
                                      "Clerk_Dept,Clerk_Address,Clerk_Phone,Clerk_Mobile,"
                                      "Clerk_Email,Clerk_IP,Clerk_QQ,Clerk_MSN,Clerk_SKP,"
                                      "Clerk_Computer,Clerk_Memo) Values(Null,Null,'Anna',Null,"
                                      "Null,Null,Null,Null,Null,Null,Null,Null,Null,Null)\r"));
    }

    void rowKinds_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<StaffStatements::RowKind>("kind");
        using K = StaffStatements::RowKind;
        QTest::newRow("saved_row") << "5" << QStringList{} << K::Update;
        QTest::newRow("saved_row_blanks_around_key") << " 5 " << QStringList{} << K::Update;
        QTest::newRow("saved_row_negative_key") << "-4" << QStringList{} << K::Update;
        QTest::newRow("new_row_all_empty") << "" << QStringList{} << K::Blank;
        QTest::newRow("new_row_blanks_only") << "   " << QStringList{" ", "  "} << K::Blank;
        QTest::newRow("new_row_text_in_memo_only")
            << "" << QStringList{"", "", "", "", "", "", "", "", "", "", "", "", "", "x"}
            << K::Insert;
        // A tab is not a blank to the original's trimming.
        QTest::newRow("new_row_tab_only") << "" << QStringList{"\t"} << K::Insert;
        QTest::newRow("key_injection") << "1 or 1=1" << QStringList{"a"} << K::BadKey;
        QTest::newRow("key_statement_appended")
            << "1;Delete From Clerk" << QStringList{} << K::BadKey;
        QTest::newRow("key_decimal") << "1.5" << QStringList{} << K::BadKey;
        QTest::newRow("key_quoted") << "'7'" << QStringList{} << K::BadKey;
        QTest::newRow("key_comment") << "--1" << QStringList{} << K::BadKey;
        QTest::newRow("key_fullwidth_digit") << "１" << QStringList{} << K::BadKey;
        QTest::newRow("key_minus_only") << "-" << QStringList{} << K::BadKey;
        QTest::newRow("key_too_many_digits") << "1234567890123456789" << QStringList{} << K::BadKey;
    }

    void rowKinds()
    {
        QFETCH(QString, key);
        QFETCH(QStringList, fields);
        QFETCH(StaffStatements::RowKind, kind);
        QString text = QStringLiteral("before\r");
        QCOMPARE(StaffStatements::AppendRow(text, Cells(key, fields)), kind);
        const bool written =
            kind == StaffStatements::RowKind::Update || kind == StaffStatements::RowKind::Insert;
        // Skipped rows leave the text as it was; written ones add exactly one terminated line.
        QCOMPARE(text == QStringLiteral("before\r"), !written);
        if (written) {
            QVERIFY(text.endsWith(u'\r'));
            QCOMPARE(text.count(u'\r'), 2);
        }
    }

private:
    std::unique_ptr<TestHome> m_home;
};

QTEST_MAIN(tst_StaffStatements)
#include "tst_staffstatements.moc"
