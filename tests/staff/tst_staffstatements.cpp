// The statement text the staff window writes: exact forms, which rows become which statement,
// and which keys may stand in a statement at all.

#include "StaffStatements.h"

#include <QTest>

using Kind = StaffStatements::RowKind;
Q_DECLARE_METATYPE(Kind)

char *toString(Kind kind)
{
    static const char *const names[] = {"Update", "Insert", "Blank", "BadKey"};
    return qstrdup(names[int(kind)]);
}

class tst_StaffStatements : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void appendRow_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("statement"); // empty: any one statement, or none when skipped
        QTest::newRow("update_whole_row_key_unquoted")
            << " 17 " << QStringList{"A-1", " 42 ", "O'Neil", "", "   ", "", "",
                                     "",    "",     "",       "", "",    "", QStringLiteral("备注")}
            << Kind::Update
            << QStringLiteral("Update Clerk Set Clerk_NO='A-1',Clerk_Ext='42',"
                              "Clerk_UserName='O''Neil',Clerk_Dept=Null,Clerk_Address=Null,"
                              "Clerk_Phone=Null,Clerk_Mobile=Null,Clerk_Email=Null,Clerk_IP=Null,"
                              "Clerk_QQ=Null,Clerk_MSN=Null,Clerk_SKP=Null,Clerk_Computer=Null,"
                              "Clerk_Memo='备注'  Where Clerk_ID=17\r");
        QTest::newRow("insert_names_all_fields")
            << "" << QStringList{"", "", "Anna"} << Kind::Insert
            << QStringLiteral("Insert Into Clerk(Clerk_NO,Clerk_Ext,Clerk_UserName,Clerk_Dept,"
                              "Clerk_Address,Clerk_Phone,Clerk_Mobile,Clerk_Email,Clerk_IP,"
                              "Clerk_QQ,Clerk_MSN,Clerk_SKP,Clerk_Computer,Clerk_Memo) Values("
                              "Null,Null,'Anna',Null,Null,Null,Null,Null,Null,Null,Null,Null,"
                              "Null,Null)\r");
        QTest::newRow("saved_row_negative_key") << "-4" << QStringList{} << Kind::Update << "";
        QTest::newRow("new_row_all_empty") << "" << QStringList{} << Kind::Blank << "";
        QTest::newRow("new_row_blanks_only")
            << "   " << QStringList{" ", "  "} << Kind::Blank << "";
        QTest::newRow("new_row_text_in_memo_only")
            << "" << QStringList{"", "", "", "", "", "", "", "", "", "", "", "", "", "x"}
            << Kind::Insert << "";
        // A tab is not a blank to the original's trimming.
        QTest::newRow("new_row_tab_only") << "" << QStringList{"\t"} << Kind::Insert << "";
        QTest::newRow("key_injection") << "1 or 1=1" << QStringList{"a"} << Kind::BadKey << "";
        QTest::newRow("key_statement_appended")
            << "1;Delete From Clerk" << QStringList{} << Kind::BadKey << "";
        QTest::newRow("key_decimal") << "1.5" << QStringList{} << Kind::BadKey << "";
        QTest::newRow("key_fullwidth_digit") << "１" << QStringList{} << Kind::BadKey << "";
        QTest::newRow("key_too_many_digits")
            << "1234567890123456789" << QStringList{} << Kind::BadKey << "";
    }

    void appendRow()
    {
        QFETCH(QString, key);
        QFETCH(QStringList, fields);
        QFETCH(Kind, kind);
        QFETCH(QString, statement);
        QStringList cells{key};
        cells += fields;
        cells.resize(StaffStatements::FieldCount + 1);
        QString text = QStringLiteral("before\r");
        QCOMPARE(StaffStatements::AppendRow(text, cells), kind);
        QVERIFY(text.startsWith(QLatin1String("before\r")));
        const QString added = text.mid(7);
        if (!statement.isEmpty())
            QCOMPARE(added, statement);
        else if (kind == Kind::Update || kind == Kind::Insert)
            QVERIFY(added.endsWith(u'\r') && added.count(u'\r') == 1);
        else
            QCOMPARE(added, QString()); // skipped rows add nothing
    }
};

QTEST_MAIN(tst_StaffStatements)
#include "tst_staffstatements.moc"
