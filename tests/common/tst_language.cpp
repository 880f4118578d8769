// Caption lookup, the language packs shipped with the module, and the language's font.

#include "common/BuiltinLanguagePack.h"
#include "common/Language.h"
#include "common/Session.h"
#include "TestHome.h"

#include <QDir>
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
} // namespace

class tst_language : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // The default for a blank id; once a pack exists its answer stands, an empty one too. A pack
    // file of the host's own replaces the shipped one.
    void lookup()
    {
        TestHome home;
        auto pack = std::make_shared<CountingPack>();
        pack->answers.insert(QStringLiteral("0068"), QStringLiteral("Gespeichert!"));
        Session().gobjLanguagePack = pack;
        QCOMPARE(GetLangText(QStringLiteral("  "), QStringLiteral("Exit")), "Exit");
        QCOMPARE(pack->calls, 0);
        QCOMPARE(GetLangText(QStringLiteral("0068"), QStringLiteral("Saved!")), "Gespeichert!");
        QCOMPARE(GetLangText(QStringLiteral("0069"), QStringLiteral("Failed!")), QString());
        QFile file(home.file(QStringLiteral("mine.lang")));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("[Text]\n0068=Stored.\n") > 0);
        file.close();
        BuiltinLanguagePack own;
        own.Init(QString(), QStringLiteral("ENG"), QVariant(file.fileName()));
        QCOMPARE(own.GetText(QStringLiteral("0068")) + own.GetText(QStringLiteral("0069")),
                 QStringLiteral("Stored."));
    }

    void shippedPacksCoverEveryId_data()
    {
        QTest::addColumn<QString>("language");
        QTest::newRow("ENG") << QStringLiteral("ENG");
        QTest::newRow("CHS") << QStringLiteral("CHS");
        QTest::newRow("unknown_reads_english") << QStringLiteral("XYZ");
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
        const QRegularExpression han(QStringLiteral("\\p{Han}"));
        for (const QString &id : ids) {
            const QString text = pack.GetText(id);
            QVERIFY2(!text.isEmpty(), qPrintable(id));
            // The grid header lines keep their abbreviations (ID, IP, QQ) in every language.
            if (language == QLatin1String("CHS") && id != QLatin1String("0419") &&
                id != QLatin1String("0420"))
                QVERIFY2(han.match(text).hasMatch(), qPrintable(id));
        }
        QCOMPARE(pack.GetText(QStringLiteral("0419")).count(u'|'), 15); // one per grid column
        QCOMPARE(pack.GetText(QStringLiteral("0420")).count(u'|'), 3);
    }

    // A pack's [Font] FontSize up to the largest the size type holds; unreadable ones are refused,
    // and so are larger ones (fuzz/corpus/langpack/big_font).
    void fontSize_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<int>("size");
        QTest::newRow("read") << QByteArray("12") << 12;
        QTest::newRow("largest") << QByteArray("32767") << 32767;
        QTest::newRow("negative") << QByteArray("-3") << 9;
        QTest::newRow("unreadable") << QByteArray("abc") << 9;
    }
    void fontSize()
    {
        QFETCH(QByteArray, value);
        TestHome home;
        QVERIFY(QDir(home.path()).mkdir(QStringLiteral("lang")));
        QFile file(home.file(QStringLiteral("lang/XTS.lang")));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("[Font]\nFontSize=" + value) > 0);
        file.close();
        BuiltinFontScheme scheme;
        scheme.SetLanguage(QStringLiteral("xts"));
        QTEST(int(scheme.FontSize()), "size");
    }
};

QTEST_GUILESS_MAIN(tst_language)
#include "tst_language.moc"
