// How windows look: configured grid colours, the language's fonts, keeping a window on top, and
// the box that says the error log could not be written.

#include "Appearance.h"
#include "BuiltinLanguagePack.h"
#include "ErrLog.h"
#include "FlexGrid.h"
#include "MsgBox.h"
#include "Session.h"
#include "SharedForm.h"
#include "TestPacks.h"
#include "WindowDriver.h"

#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QtTest>

class tst_appearance : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void setGridColorAppliesOnlyConfigured()
    {
        TestHome home;
        FlexGrid grid;
        const qint32 designBack = grid.BackColor();
        Session().glngGridFontColor = 255; // red in the low byte
        Session().glngGridFixedFontColor = 0xFF0000;
        Session().glngGridAlternate = 0x00C0E0FF;
        SetGridColor(&grid);
        QCOMPARE(grid.palette().color(QPalette::Text), QColor(Qt::red));
        QCOMPARE(grid.palette().color(QPalette::AlternateBase), QColor(0xFF, 0xE0, 0xC0));
        grid.setFormatString(QStringLiteral("A"));
        QCOMPARE(grid.model()->headerData(0, Qt::Horizontal, Qt::ForegroundRole).value<QBrush>(),
                 QBrush(Qt::blue));
        QCOMPARE(grid.BackColor(), designBack);
    }

    // The window and small captions take the language's face and size; captions of 10 points
    // and more keep their size. Without a usable font object one entry is logged per window.
    void formFonts()
    {
        TestHome home;
        QWidget window;
        QFont designFont = window.font();
        designFont.setPointSize(8);
        window.setFont(designFont);
        QList<QLabel *> labels;
        for (int points : {9, 10, 12}) {
            labels << new QLabel(QStringLiteral("x"), &window);
            labels.last()->setObjectName(QStringLiteral("lbl%1").arg(points));
            labels.last()->setFont(QFont(QStringLiteral("DejaVu Serif"), points));
        }
        iniFormFonts(&window);
        QCOMPARE(home.logEntryCount(), 1);
        QVERIFY(home.logText().startsWith(QStringLiteral("函数/过程:modPubic,模块:\r\n")));
        QCOMPARE(labels[0]->font().family(), QStringLiteral("DejaVu Serif"));

        Session().gobjFontScheme = std::make_shared<FixedFontScheme>(
            QStringLiteral("134"), QStringLiteral("WenQuanYi Micro Hei"), 11);
        iniFormFonts(&window);
        QCOMPARE(window.font().pointSize(), 11);
        QList<int> sizes;
        for (QLabel *label : labels) {
            QCOMPARE(label->font().family(), QStringLiteral("WenQuanYi Micro Hei"));
            sizes << label->font().pointSize();
        }
        QCOMPARE(sizes, (QList<int>{11, 10, 12}));
        Session().gobjFontScheme =
            std::make_shared<FixedFontScheme>(QStringLiteral("GB2312"), QStringLiteral("x"), 9);
        iniFormFonts(&window); // a character set that is not a number
        QCOMPARE(home.logEntryCount(), 2);
    }

    // A folder where the log should be, or a log on a full disk.
    void unwritableLogShowsCriticalBox_data()
    {
        QTest::addColumn<bool>("diskFull");
        QTest::newRow("folder_in_the_way") << false;
        QTest::newRow("disk_full") << true;
    }
    void unwritableLogShowsCriticalBox()
    {
        QFETCH(bool, diskFull);
        TestHome home;
        Session().gstrPopupTitle = QStringLiteral("Ardenta");
        const QString log = home.file(QStringLiteral("Errlog.txt"));
        QVERIFY(diskFull ? QFile::link(QStringLiteral("/dev/full"), log) : QDir().mkdir(log));
        InstallErrLogBox();
        DialogAnswerer user;
        user.answerMessage(QMessageBox::Ok);
        WriteErrLog(QStringLiteral("boom"), QStringLiteral("SaveData"), QStringLiteral("frmMain"));
        user.answerMessage(QMessageBox::Ok); // the caller went on: a second failure, a second box
        WriteErrLog(QStringLiteral("boom"), QStringLiteral("SaveData"), QStringLiteral("frmMain"));
        QCOMPARE(user.problems(), QString());
        QCOMPARE(user.seen().front().title, QStringLiteral("Ardenta"));
        QCOMPARE(user.seen().front().icon, QMessageBox::Critical);
        QCOMPARE(user.seenTexts(),
                 QStringList(2, "Record error log found error,please restart popup!"));
    }

    // A window larger than the screen and placed off it is brought inside; one nobody placed is
    // left to the window manager.
    void windowsFitOnScreen()
    {
        QWidget window;
        const QRect area = window.screen()->availableGeometry();
        window.setMinimumSize(300, 200);
        window.resize(area.width() * 2, area.height() * 2);
        FitOnScreen(&window);
        QVERIFY(window.width() < area.width() && window.height() < area.height());
        QVERIFY(!window.testAttribute(Qt::WA_Moved));
        window.move(area.left() - 100, area.bottom() - 10);
        FitOnScreen(&window);
        QVERIFY(area.contains(QRect(window.pos(), window.size())));
    }

    // The shipped CHS pack brings Qt's own texts in Chinese, ENG takes them away again.
    void qtTextsFollowThePack()
    {
        TestHome home;
        BuiltinLanguagePack pack;
        QStringList yes;
        for (const char *language : {"CHS", "ENG"}) {
            pack.Init(QString(), QLatin1String(language), QVariant());
            QMessageBox box(QMessageBox::Question, QStringLiteral("t"), QStringLiteral("q"),
                            QMessageBox::Yes | QMessageBox::No);
            yes << box.button(QMessageBox::Yes)->text();
        }
        QVERIFY2(yes[0].contains(QRegularExpression(QStringLiteral("\\p{Han}"))),
                 qPrintable(yes[0]));
        QCOMPARE(yes[1], QStringLiteral("&Yes"));
    }
};

QTEST_MAIN(tst_appearance)
#include "tst_appearance.moc"
