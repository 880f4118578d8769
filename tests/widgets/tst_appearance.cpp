// How windows look: configured grid colours, the language's fonts, windows kept on the screen,
// Qt's own texts, the grid's hidden key column and date formats, and the box that says the error
// log could not be written.

#include "common/BuiltinLanguagePack.h"
#include "common/ErrLog.h"
#include "common/Session.h"
#include "db/Recordset.h"
#include "TestPacks.h"
#include "widgets/Appearance.h"
#include "widgets/FlexGrid.h"
#include "widgets/MsgBox.h"
#include "widgets/SharedForm.h"
#include "WindowDriver.h"

#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSignalSpy>
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

    // Values of both engines: text, a timestamp, an ISO text; a format shows them as dates.
    void valuesAndDateFormat()
    {
        FlexGrid grid;
        grid.setDataSource(std::make_shared<Recordset>(
            QStringList{QStringLiteral("V")},
            std::vector<QVariant>{QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)),
                                  QStringLiteral("2024-03-06 08:00:00"),
                                  QStringLiteral("2024-03-07T09:30:00.000"), QVariant(0.1 + 0.2),
                                  QVariant(QMetaType(QMetaType::QString))}));
        grid.setColFormat(0, QStringLiteral("dd.MM.yyyy HH:mm"));
        QStringList shown;
        for (int row = 0; row < 5; ++row)
            shown << grid.model()->index(row, 0).data().toString();
        QCOMPARE(shown, (QStringList{"05.03.2024 14:07", "06.03.2024 08:00", "07.03.2024 09:30",
                                     "0.3", ""}));
        QCOMPARE(grid.TextMatrix(1, 0), QStringLiteral("2024-03-05 14:07:09")); // stored text
    }

    // The hidden key column stays hidden whatever width it is given, after a reload too, and a
    // drag on its edge moves the visible neighbour's.
    void hiddenColumnStaysHidden()
    {
        const auto records = [](int rows) { // of four text columns
            return std::make_shared<Recordset>(
                QStringList{"A", "B", "C", "D"},
                std::vector<QVariant>(size_t(rows) * 4, QStringLiteral("x")));
        };
        QWidget window;
        auto *grid = new FlexGrid(&window);
        grid->setDataSource(records(5));
        grid->resize(400, 240);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        grid->setColHidden(1, true);
        grid->setColWidth(1, 900);
        QCOMPARE(grid->ColWidth(1), 0);
        QSignalSpy resized(grid, &FlexGrid::AfterUserResize);
        QWidget *headerArea = grid->horizontalHeader()->viewport();
        const QPoint edge(grid->horizontalHeader()->sectionViewportPosition(2), 5);
        const int widthBefore = grid->columnWidth(0);
        QTest::mousePress(headerArea, Qt::LeftButton, {}, edge);
        QTest::mouseMove(headerArea, edge + QPoint(30, 0));
        QTest::mouseRelease(headerArea, Qt::LeftButton, {}, edge + QPoint(30, 0));
        QCOMPARE(grid->columnWidth(0), widthBefore + 30);
        QCOMPARE(resized.last(), (QList<QVariant>{-1, 0}));
        grid->setDataSource(records(3));
        QVERIFY(grid->isColumnHidden(1));
    }
};

QTEST_MAIN(tst_appearance)
#include "tst_appearance.moc"
