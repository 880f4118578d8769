#include "widgets/Appearance.h"

#include "common/ArdentaError.h"
#include "common/ErrLog.h"
#include "common/Language.h"
#include "common/Session.h"
#include "widgets/FlexGrid.h"
#include "widgets/OleColor.h"
#include "widgets/Twips.h"

#include <QAbstractButton>
#include <QFont>
#include <QHash>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QWidget>

namespace {
bool isControl(const QWidget *widget)
{
    const QString name = widget->objectName();
    return !name.isEmpty() && !name.startsWith(QLatin1String("qt_"));
}
} // namespace

void SetGridColor(FlexGrid *grdTarget)
{
    if (!grdTarget)
        return;
    const SessionState &session = Session();
    if (session.glngGridFontColor > 0)
        grdTarget->setForeColor(session.glngGridFontColor);
    if (session.glngGridFixedFontColor > 0)
        grdTarget->setForeColorFixed(session.glngGridFixedFontColor);
    if (session.glngGridBackColor > 0)
        grdTarget->setBackColor(session.glngGridBackColor);
    if (session.glngGridAlternate > 0)
        grdTarget->setBackColorAlternate(session.glngGridAlternate);
}

QString ControlTypeName(const QWidget *control)
{
    static const QHash<QString, QString> names = {
        {QStringLiteral("QLabel"), QStringLiteral("Label")},
        {QStringLiteral("QLineEdit"), QStringLiteral("TextBox")},
        {QStringLiteral("QPushButton"), QStringLiteral("CommandButton")},
        {QStringLiteral("QCheckBox"), QStringLiteral("CheckBox")},
        {QStringLiteral("QGroupBox"), QStringLiteral("Frame")},
        {QStringLiteral("QFrame"), QStringLiteral("Frame")},
        {QStringLiteral("QTabWidget"), QStringLiteral("SSTab")},
        {QStringLiteral("QDateEdit"), QStringLiteral("DTPicker")},
        {QStringLiteral("QListWidget"), QStringLiteral("ListBox")},
        {QStringLiteral("QComboBox"), QStringLiteral("ComboBox")},
        {QStringLiteral("QTextEdit"), QStringLiteral("RichTextBox")},
        {QStringLiteral("QListView"), QStringLiteral("ListView")},
        {QStringLiteral("FlexGrid"), QStringLiteral("VSFlexGrid")},
    };
    return names.value(QString::fromLatin1(control->metaObject()->className()));
}

void iniFormFonts(QWidget *frmTarget)
{
    QString current; // name of the control being processed, for the log
    try {
        const LanguageFont language = SessionLanguageFont();
        QFont windowFont = frmTarget->font();
        windowFont.setFamily(language.face);
        windowFont.setPointSize(language.size);
        frmTarget->setFont(windowFont);

        for (QWidget *control : frmTarget->findChildren<QWidget *>()) {
            if (!isControl(control) || ControlTypeName(control).isEmpty())
                continue;
            current = control->objectName();
            QFont font = control->font();
            font.setFamily(language.face);
            // Larger captions were sized on purpose; only small ones follow the language.
            if (font.pointSizeF() < 10)
                font.setPointSize(language.size);
            control->setFont(font);
        }
    } catch (const std::exception &error) {
        WriteErrLog(QStringLiteral("iniFormFonts: ") + current + QLatin1Char(' ') +
                        ErrorText(error),
                    QStringLiteral("modPubic"), QString());
    }
}

void SetFormTopMost(QWidget *frmTarget, bool blnTopMost)
{
    const bool visible = frmTarget->isVisible();
    frmTarget->setWindowFlag(Qt::WindowStaysOnTopHint, blnTopMost);
    // Changing window flags hides a shown window.
    if (visible)
        frmTarget->show();
}

void SetCancelButton(QWidget *window, QPushButton *button)
{
    SetButtonKey(window, QKeySequence(Qt::Key_Escape), button);
}

void SetButtonKey(QWidget *window, const QKeySequence &key, QPushButton *button)
{
    auto *shortcut = new QShortcut(key, window);
    QObject::connect(shortcut, &QShortcut::activated, button, &QPushButton::click);
}

void SetWidgetColor(QWidget *widget, QPalette::ColorRole role, quint32 oleColor)
{
    QPalette palette = widget->palette();
    palette.setColor(role, OleColor::ToColor(qint32(oleColor)));
    widget->setPalette(palette);
}

void PlaceControl(QWidget *control, const ControlDesign &design)
{
    control->setObjectName(QLatin1String(design.Name));
    if (design.Tag)
        control->setProperty("Tag", QLatin1String(design.Tag));
    control->setGeometry(TwipsRect(design.Left, design.Top, design.Width, design.Height));
}

QPushButton *MakeButton(QWidget *parent, const ControlDesign &design)
{
    auto *button = new QPushButton(QString::fromLatin1(design.Caption), parent);
    PlaceControl(button, design);
    SetWidgetColor(button, QPalette::Button, DesignColor::Button);
    return button;
}

void SetAccessibleName(QWidget *control, const char *id, const char *englishDefault)
{
    control->setAccessibleName(
        GetLangText(QString::fromLatin1(id), QString::fromLatin1(englishDefault)));
}

void SetCaptions(QWidget *window, const char *titleDefault, std::initializer_list<Caption> captions)
{
    const auto text = [](const QWidget *control, const char *fallback) {
        return GetLangText(control->property("Tag").toString(), QString::fromLatin1(fallback));
    };
    for (const Caption &caption : captions) {
        const QString shown =
            text(caption.Control, caption.Default) + QLatin1String(caption.Suffix);
        if (auto *button = qobject_cast<QAbstractButton *>(caption.Control))
            button->setText(shown);
        else if (auto *label = qobject_cast<QLabel *>(caption.Control))
            label->setText(shown);
    }
    window->setWindowTitle(text(window, titleDefault));
}
