#include "SettingsDialog.h"

#include "common/LocalAddress.h"
#include "db/Schema.h"
#include "office/HostTexts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QCheckBox *shownPermission(const QString &caption, bool granted, QWidget *parent)
{
    auto *box = new QCheckBox(caption, parent);
    box->setChecked(granted);
    box->setEnabled(false);
    return box;
}
} // namespace

SettingsDialog::SettingsDialog(const HostSettings &settings, const HostTexts &texts,
                               QWidget *parent)
    : QDialog(parent), m_settings(settings), m_connected(texts.text("0457", "Connected."))
{
    setObjectName(QStringLiteral("frmSettings"));
    setWindowTitle(texts.text("0450", "Settings"));

    txtConnection = new QLineEdit(settings.connection, this);
    txtConnection->setObjectName(QStringLiteral("txtConnection"));
    txtConnection->setPlaceholderText(QStringLiteral("postgresql://host/db?service=…"));
    txtConnection->setMinimumWidth(420);
    cboDialect = new QComboBox(this);
    cboDialect->setObjectName(QStringLiteral("cboDialect"));
    cboDialect->addItem(QStringLiteral("0  Transact-SQL"), 0);
    cboDialect->addItem(QStringLiteral("1  Jet"), 1);
    cboDialect->setCurrentIndex(settings.dialect == 1 ? 1 : 0);
    cboLanguage = new QComboBox(this);
    cboLanguage->setObjectName(QStringLiteral("cboLanguage"));
    cboLanguage->setEditable(true);
    cboLanguage->addItems({QStringLiteral("CHS"), QStringLiteral("ENG")});
    cboLanguage->setCurrentText(settings.language);
    // The form's label names the box; the field typed into inside it needs its own name.
    cboLanguage->lineEdit()->setAccessibleName(texts.text("0453", "Language"));
    txtOperator = new QLineEdit(settings.operatorName, this);
    txtOperator->setObjectName(QStringLiteral("txtOperator"));
    txtOperator->setPlaceholderText(HostConfig::LoginName());
    chkPresence = new QCheckBox(texts.text("0455", "Show me as online"), this);
    chkPresence->setObjectName(QStringLiteral("chkPresence"));
    chkPresence->setChecked(settings.presence);
    txtAddress = new QLineEdit(settings.address, this);
    txtAddress->setObjectName(QStringLiteral("txtAddress"));
    txtAddress->setPlaceholderText(LocalAddress());

    auto *form = new QFormLayout;
    form->addRow(texts.text("0451", "Connection string"), txtConnection);
    form->addRow(texts.text("0452", "SQL dialect"), cboDialect);
    form->addRow(texts.text("0453", "Language"), cboLanguage);
    form->addRow(texts.text("0454", "Operator"), txtOperator);
    form->addRow(QString(), chkPresence);
    form->addRow(texts.text("0469", "Address"), txtAddress);

    auto *permissions =
        new QGroupBox(texts.text("0462", "Permissions (set by the administrator)"), this);
    auto *permissionRows = new QVBoxLayout(permissions);
    permissionRows->addWidget(
        shownPermission(texts.text("0463", "Edit the staff directory"), settings.editStaff, this));
    permissionRows->addWidget(
        shownPermission(texts.text("0464", "Edit notices"), settings.editNotice, this));

    lblResult = new QLabel(this);
    lblResult->setObjectName(QStringLiteral("lblResult"));
    lblResult->setWordWrap(true);
    lblResult->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblResult->setAccessibleName(texts.text("0456", "Test connection")); // selectable: focusable

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *test =
        buttons->addButton(texts.text("0456", "Test connection"), QDialogButtonBox::ActionRole);
    test->setObjectName(QStringLiteral("cmdTest"));
    QPushButton *saveButton =
        buttons->addButton(texts.text("0458", "Save"), QDialogButtonBox::AcceptRole);
    saveButton->setObjectName(QStringLiteral("cmdSave"));
    saveButton->setDefault(true);
    QPushButton *cancel =
        buttons->addButton(texts.text("0459", "Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(test, &QPushButton::clicked, this, &SettingsDialog::testConnection);
    connect(saveButton, &QPushButton::clicked, this, &SettingsDialog::save);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(permissions);
    layout->addWidget(lblResult);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetMinimumSize);
}

HostSettings SettingsDialog::settings() const
{
    HostSettings chosen = m_settings;
    chosen.connection = txtConnection->text().trimmed();
    chosen.dialect = qint16(cboDialect->currentData().toInt());
    chosen.language = cboLanguage->currentText().trimmed();
    chosen.operatorName = txtOperator->text().trimmed();
    chosen.presence = chkPresence->isChecked();
    chosen.address = txtAddress->text().trimmed();
    return chosen;
}

void SettingsDialog::testConnection()
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    QString message;
    const bool ok = CheckDatabase(settings().connection, &message);
    QGuiApplication::restoreOverrideCursor();
    showResult(ok, ok ? m_connected : message);
}

void SettingsDialog::save()
{
    QString error;
    if (!HostConfig::WriteUser(settings(), &error)) {
        showResult(false, error);
        return;
    }
    accept();
}

void SettingsDialog::showResult(bool ok, const QString &message)
{
    lblResult->setStyleSheet(ok ? QString() : QStringLiteral("color: #b00020"));
    lblResult->setText(message);
}
