// Grid colours from SystemConfig.ini, the language's fonts and keeping a window on top.

#include "Appearance.h"
#include "FlexGrid.h"
#include "FontScheme.h"
#include "ReportTextObject.h"
#include "Session.h"
#include "TestHelpers.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace {
class FixedFontScheme : public FontScheme
{
public:
    FixedFontScheme(QString charset, QString face, qint16 size)
        : m_charset(std::move(charset)), m_face(std::move(face)), m_size(size)
    {
    }
    void SetLanguage(const QString &) override {}
    QString Charset() override { return m_charset; }
    QString FontName() override { return m_face; }
    qint16 FontSize() override { return m_size; }

private:
    QString m_charset, m_face;
    qint16 m_size;
};
} // namespace

class tst_appearance : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void readConfigValue_data();
    void readConfigValue();
    void gridColours_data();
    void gridColours();
    void colourPast32BitsIsLoggedAndLaterKeysKeepValues();
    void setGridColorAppliesOnlyConfigured();
    void formFonts();
    void formFontsWithoutSchemeLogs();
    void reportFonts();
    void topMost();
};

void tst_appearance::readConfigValue_data()
{
    // Every row reads [GridColor] FontColor.
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << QByteArray("[GridColor]\nFontColor=255\n") << "255";
    QTest::newRow("names_ignore_case") << QByteArray("[gridcolor]\r\nFONTCOLOR = 7\r\n") << "7";
    QTest::newRow("comment_skipped") << QByteArray("[GridColor]\n;FontColor=1\nFontColor=2") << "2";
    QTest::newRow("first_wins") << QByteArray("[GridColor]\nFontColor=1\nFontColor=2") << "1";
    QTest::newRow("other_section") << QByteArray("[A]\nFontColor=1\n[GridColor]\nx=2") << "";
    QTest::newRow("quotes_removed") << QByteArray("[GridColor]\nFontColor=\"a b\"") << "a b";
    QTest::newRow("cut_at_255") << "[GridColor]\nFontColor=" + QByteArray(300, 'x')
                                << QString(255, QLatin1Char('x'));
    QTest::newRow("chinese") << QStringLiteral("[GridColor]\nFontColor=中文").toUtf8()
                             << QStringLiteral("中文");
}

void tst_appearance::readConfigValue()
{
    QFETCH(QByteArray, ini);
    QFETCH(QString, expected);
    TestHome home;
    home.writeConfig(ini);
    QCOMPARE(ReadConfigValue(QStringLiteral("GridColor"), QStringLiteral("FontColor")), expected);
}

void tst_appearance::gridColours_data()
{
    QTest::addColumn<QByteArray>("value"); // a null value writes no SystemConfig.ini at all
    QTest::addColumn<int>("expected");
    QTest::newRow("no_file") << QByteArray() << 0;
    QTest::newRow("red") << QByteArray("255") << 255;
    QTest::newRow("negative_ignored") << QByteArray("-5") << 0;
    QTest::newRow("text_ignored") << QByteArray("abc") << 0;
    QTest::newRow("zero") << QByteArray("0") << 0;
    QTest::newRow("blanks_around_white") << QByteArray("   16777215   ") << 16777215;
    QTest::newRow("half_to_even_down") << QByteArray("2.5") << 2;
    QTest::newRow("half_to_even_up") << QByteArray("3.5") << 4;
    QTest::newRow("exponent") << QByteArray("1e3") << 1000;
}

void tst_appearance::gridColours()
{
    QFETCH(QByteArray, value);
    QFETCH(int, expected);
    TestHome home;
    glngGridFontColor = glngGridBackColor = 42; // every read starts again from 0
    if (!value.isNull())
        home.writeConfig("[GridColor]\nFontColor=" + value + "\nBackColor=" + value + "\n");
    GetSpecialConfig();
    QCOMPARE(glngGridFontColor, expected);
    QCOMPARE(glngGridBackColor, expected);
    QCOMPARE(home.logEntryCount(), 0);
}

void tst_appearance::colourPast32BitsIsLoggedAndLaterKeysKeepValues()
{
    TestHome home;
    glngGridBackColor = 111;
    glngGridAlternate = 222;
    home.writeConfig("[GridColor]\nFontColor=255\nFixedFontColor=99999999999\nBackColor=7\n"
                     "Alternate=8\n");
    GetSpecialConfig();
    QCOMPARE(glngGridFontColor, 255);
    QCOMPARE(glngGridFixedFontColor, 0); // the failing key keeps its previous value
    QCOMPARE(glngGridBackColor, 111);
    QCOMPARE(glngGridAlternate, 222);
    QCOMPARE(home.logEntryCount(), 1);
    QVERIFY(home.logText().startsWith(QStringLiteral("函数/过程:GetSpecialConfig,模块:modPublic")));
    QVERIFY(home.logText().contains(QStringLiteral(":Overflow\r\n")));
}

void tst_appearance::setGridColorAppliesOnlyConfigured()
{
    TestHome home;
    FlexGrid grid;
    const qint32 designBack = grid.BackColor();
    glngGridFontColor = 255; // red in the low byte
    glngGridAlternate = 0x00C0E0FF;
    SetGridColor(&grid);
    QCOMPARE(grid.ForeColor(), 255);
    QCOMPARE(grid.BackColorAlternate(), 0x00C0E0FF);
    QCOMPARE(grid.BackColor(), designBack);
}

void tst_appearance::formFonts()
{
    TestHome home;
    gobjFontScheme = std::make_shared<FixedFontScheme>(QStringLiteral("134"),
                                                       QStringLiteral("WenQuanYi Micro Hei"), 11);
    QWidget window;
    window.setObjectName(QStringLiteral("frmTest"));
    QFont designFont = window.font();
    designFont.setPointSize(8);
    window.setFont(designFont);
    auto makeLabel = [&window](const char *name, int points) {
        auto *label = new QLabel(QStringLiteral("x"), &window);
        label->setObjectName(QLatin1String(name));
        QFont font = label->font();
        font.setFamily(QStringLiteral("DejaVu Serif"));
        font.setPointSize(points);
        label->setFont(font);
        return label;
    };
    QLabel *small = makeLabel("lblNine", 9);
    QLabel *ten = makeLabel("lblTen", 10);
    QLabel *twelve = makeLabel("lblTwelve", 12);
    auto *button = new QPushButton(&window);
    button->setObjectName(QStringLiteral("cmdSave"));

    iniFormFonts(&window);

    QCOMPARE(window.font().pointSize(), 11); // the window always gets the size
    QCOMPARE(window.font().family(), QStringLiteral("WenQuanYi Micro Hei"));
    QCOMPARE(small->font().pointSize(), 11);
    QCOMPARE(ten->font().pointSize(), 10);
    QCOMPARE(twelve->font().pointSize(), 12);
    for (QLabel *label : {small, ten, twelve})
        QCOMPARE(label->font().family(), QStringLiteral("WenQuanYi Micro Hei"));
    QCOMPARE(button->font().family(), QStringLiteral("WenQuanYi Micro Hei"));
    QCOMPARE(home.logEntryCount(), 0);
}

void tst_appearance::formFontsWithoutSchemeLogs()
{
    TestHome home;
    QWidget window;
    auto *label = new QLabel(&window);
    label->setObjectName(QStringLiteral("lblPublisher"));
    const QString before = label->font().family();
    iniFormFonts(&window);
    QCOMPARE(label->font().family(), before);
    QCOMPARE(home.logEntryCount(), 1);
    QVERIFY(home.logText().startsWith(QStringLiteral("函数/过程:modPubic,模块:\r\n")));
    QVERIFY(home.logText().contains(QStringLiteral(":iniFormFonts: ")));

    // A character set that is not a number fails the same way.
    gobjFontScheme =
        std::make_shared<FixedFontScheme>(QStringLiteral("GB2312"), QStringLiteral("x"), 9);
    iniFormFonts(&window);
    QCOMPARE(home.logEntryCount(), 2);
}

void tst_appearance::reportFonts()
{
    TestHome home;
    ReportTextObject title{QStringLiteral("Text1"), QFont(QStringLiteral("DejaVu Sans"), 20), 0,
                           QStringLiteral("Inner Information")};
    IniReportFonts(title); // no font object yet
    QCOMPARE(title.Font.pointSize(), 20);
    QVERIFY(home.logText().contains(QStringLiteral(":IniReportFonts: Text1 ")));

    gobjFontScheme = std::make_shared<FixedFontScheme>(QStringLiteral("134"),
                                                       QStringLiteral("WenQuanYi Micro Hei"), 9);
    IniReportFonts(title);
    QCOMPARE(title.Font.pointSize(), 9); // the size is set whatever it was
    QCOMPARE(title.Font.family(), QStringLiteral("WenQuanYi Micro Hei"));
    QCOMPARE(title.Charset, 134);
}

void tst_appearance::topMost()
{
    QWidget window;
    window.show();
    SetFormTopMost(&window, true);
    QVERIFY(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(window.isVisible());
    SetFormTopMost(&window, false);
    QVERIFY(!window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

QTEST_MAIN(tst_appearance)
#include "tst_appearance.moc"
