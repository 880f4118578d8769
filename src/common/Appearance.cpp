#include "Appearance.h"

#include "ArdentaError.h"
#include "Convert.h"
#include "ErrLog.h"
#include "FlexGrid.h"
#include "FontScheme.h"
#include "IniFile.h"
#include "ReportTextObject.h"
#include "Session.h"

#include <QFont>
#include <QHash>
#include <QWidget>

namespace {
const QString noObject = QStringLiteral("Object variable or With block variable not set");

struct LanguageFont
{
    int charset;
    QString face;
    int size;
};

// The session language's font; throws when the font object is missing or answers nonsense.
LanguageFont languageFont()
{
    if (!gobjFontScheme)
        throw ArdentaError(noObject);
    bool ok = false;
    const int charset = gobjFontScheme->Charset().trimmed().toInt(&ok);
    if (!ok)
        throw ArdentaError(QStringLiteral("Type mismatch"));
    const QString face = gobjFontScheme->FontName();
    const int size = gobjFontScheme->FontSize();
    if (size <= 0)
        throw ArdentaError(QStringLiteral("Invalid property value"));
    return {charset, face, size};
}

bool isControl(const QWidget *widget)
{
    const QString name = widget->objectName();
    return !name.isEmpty() && !name.startsWith(QLatin1String("qt_"));
}
} // namespace

QString ReadConfigValue(const QString &strSection, const QString &strKey)
{
    return IniFile(ConfigFilePath()).value(strSection, strKey);
}

void GetSpecialConfig()
{
    struct Key
    {
        const char *name;
        qint32 *variable;
    };
    const Key keys[] = {{"FontColor", &glngGridFontColor},
                        {"FixedFontColor", &glngGridFixedFontColor},
                        {"BackColor", &glngGridBackColor},
                        {"Alternate", &glngGridAlternate}};
    try {
        for (const Key &key : keys) {
            qint32 value = 0;
            const QString text =
                ReadConfigValue(QStringLiteral("GridColor"), QLatin1String(key.name));
            if (!text.trimmed().isEmpty() && IsNumericText(text))
                value = ToLong(text);
            *key.variable = value > 0 ? value : 0;
        }
    } catch (const std::exception &error) {
        WriteErrLog(QString::fromUtf8(error.what()), QStringLiteral("GetSpecialConfig"),
                    QStringLiteral("modPublic"));
    }
}

void SetGridColor(FlexGrid *grdTarget)
{
    if (!grdTarget)
        return;
    if (glngGridFontColor > 0)
        grdTarget->setForeColor(glngGridFontColor);
    if (glngGridFixedFontColor > 0)
        grdTarget->setForeColorFixed(glngGridFixedFontColor);
    if (glngGridBackColor > 0)
        grdTarget->setBackColor(glngGridBackColor);
    if (glngGridAlternate > 0)
        grdTarget->setBackColorAlternate(glngGridAlternate);
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
        const LanguageFont language = languageFont();
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
                        QString::fromUtf8(error.what()),
                    QStringLiteral("modPubic"), QString());
    }
}

void IniReportFonts(ReportTextObject &objReport)
{
    try {
        const LanguageFont language = languageFont();
        objReport.Charset = language.charset;
        objReport.Font.setFamily(language.face);
        objReport.Font.setPointSize(language.size);
    } catch (const std::exception &error) {
        WriteErrLog(QStringLiteral("IniReportFonts: ") + objReport.Name + QLatin1Char(' ') +
                        QString::fromUtf8(error.what()),
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
