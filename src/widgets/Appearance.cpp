#include "widgets/Appearance.h"

#include "common/ArdentaError.h"
#include "common/Language.h"
#include "common/Session.h"
#include "host/ErrLog.h"
#include "widgets/FlexGrid.h"

#include <QFont>
#include <QHash>
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

void SetWidgetColor(QWidget *widget, QPalette::ColorRole role, const QColor &color)
{
    QPalette palette = widget->palette();
    palette.setColor(role, color);
    widget->setPalette(palette);
}
