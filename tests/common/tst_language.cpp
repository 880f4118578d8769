// Caption lookup and the language packs shipped with the module.

#include "BuiltinLanguagePack.h"
#include "Language.h"
#include "Session.h"
#include "TestHelpers.h"

#include <QFile>
#include <QRegularExpression>
#include <QtTest>

namespace {
class CountingPack : public LanguagePack
{
public:
    int Init(const QString &, const QString &, const QVariant &) override { return 0; }
    QString GetText(const QString &strId) override
    {
        ++calls;
        return answers.value(strId);
    }
    QHash<QString, QString> answers;
    int calls = 0;
};

// Every text id the windows, boxes and report ask for.
const QStringList moduleIds = {"0006", "0008", "0010", "0037", "0053", "0057", "0062", "0068",
                               "0069", "0070", "0077", "0082", "0083", "0114", "0158", "0159",
                               "0165", "0166", "0274", "0406", "0419", "0420", "0421", "0422",
                               "0423", "0424", "0425", "0426", "0427", "0436", "0438", "0439"};
} // namespace

class tst_language : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void defaultBeforeAnyPack();
    void blankIdNeverAsksThePack();
    void packAnswerStandsEvenWhenEmpty();
    void shippedPacksCoverEveryId_data();
    void shippedPacksCoverEveryId();
    void hostPackFileReplacesShippedOne();
    void unknownLanguageReadsEnglish();
    void fontSchemeFollowsLanguage();
};

void tst_language::defaultBeforeAnyPack()
{
    TestHome home;
    QCOMPARE(GetLangText(QStringLiteral("0068"), QStringLiteral("Saved!")),
             QStringLiteral("Saved!"));
}

void tst_language::blankIdNeverAsksThePack()
{
    TestHome home;
    auto pack = std::make_shared<CountingPack>();
    gobjLanguagePack = pack;
    QCOMPARE(GetLangText(QString(), QStringLiteral("Exit")), QStringLiteral("Exit"));
    QCOMPARE(GetLangText(QStringLiteral("  "), QStringLiteral("Exit")), QStringLiteral("Exit"));
    QCOMPARE(pack->calls, 0);
}

void tst_language::packAnswerStandsEvenWhenEmpty()
{
    TestHome home;
    auto pack = std::make_shared<CountingPack>();
    pack->answers.insert(QStringLiteral("0068"), QStringLiteral("Gespeichert!"));
    gobjLanguagePack = pack;
    QCOMPARE(GetLangText(QStringLiteral("0068"), QStringLiteral("Saved!")),
             QStringLiteral("Gespeichert!"));
    QCOMPARE(GetLangText(QStringLiteral("0069"), QStringLiteral("Failed!")), QString());
    QCOMPARE(pack->calls, 2);
}

void tst_language::shippedPacksCoverEveryId_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<bool>("chinese");
    QTest::newRow("ENG") << QStringLiteral("ENG") << false;
    QTest::newRow("CHS") << QStringLiteral("CHS") << true;
}

void tst_language::shippedPacksCoverEveryId()
{
    QFETCH(QString, language);
    QFETCH(bool, chinese);
    TestHome home;
    BuiltinLanguagePack pack;
    pack.Init(QString(), language, QVariant(QString()));
    const QRegularExpression han(QStringLiteral("\\p{Han}"));
    for (const QString &id : moduleIds) {
        const QString text = pack.GetText(id);
        QVERIFY2(!text.isEmpty(), qPrintable(language + QLatin1Char(' ') + id));
        // The grid header lines keep their abbreviations (ID, IP, QQ) in every language.
        if (chinese && id != QLatin1String("0419") && id != QLatin1String("0420"))
            QVERIFY2(han.match(text).hasMatch(), qPrintable(id));
    }
    // Header lines keep one caption per grid column.
    QCOMPARE(pack.GetText(QStringLiteral("0419")).count(QLatin1Char('|')), 15);
    QCOMPARE(pack.GetText(QStringLiteral("0420")).count(QLatin1Char('|')), 3);
}

void tst_language::hostPackFileReplacesShippedOne()
{
    TestHome home;
    QFile file(home.file(QStringLiteral("mine.lang")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[Text]\n0068=Stored.\n");
    file.close();
    BuiltinLanguagePack pack;
    pack.Init(QString(), QStringLiteral("ENG"), QVariant(file.fileName()));
    QCOMPARE(pack.GetText(QStringLiteral("0068")), QStringLiteral("Stored."));
    QCOMPARE(pack.GetText(QStringLiteral("0069")), QString());
}

void tst_language::unknownLanguageReadsEnglish()
{
    TestHome home;
    BuiltinLanguagePack pack;
    pack.Init(QString(), QStringLiteral("XYZ"), QVariant(QString()));
    QCOMPARE(pack.GetText(QStringLiteral("0070")), QStringLiteral("Popup"));
}

void tst_language::fontSchemeFollowsLanguage()
{
    TestHome home;
    BuiltinFontScheme chinese;
    chinese.SetLanguage(QStringLiteral("chs"));
    QCOMPARE(chinese.Charset(), QStringLiteral("134"));
    QCOMPARE(chinese.FontName(), QStringLiteral("WenQuanYi Micro Hei"));
    QVERIFY(chinese.FontSize() > 0);
    BuiltinFontScheme english;
    english.SetLanguage(QStringLiteral("ENG"));
    QCOMPARE(english.Charset(), QStringLiteral("0"));
}

QTEST_MAIN(tst_language)
#include "tst_language.moc"
