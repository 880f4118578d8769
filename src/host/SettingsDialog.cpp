#include "SettingsDialog.h"

#include "common/LocalAddress.h"
#include "db/Schema.h"
#include "db/ServerRole.h"

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

QLabel *note(const QString &name, const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent); // one line per example: no wrapping to squeeze
    label->setObjectName(name);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

// The server as a user would name it: "db1:5432", "[::1]:5432" or its socket folder.
QString serverName(const ServerRole &role, const HostTexts &texts)
{
    if (role.address.isEmpty())
        return texts.text("0486", "the socket in %1, port %2")
            .arg(role.socketFolder)
            .arg(role.port);
    const QString host = role.address.contains(u':') ? u'[' + role.address + u']' : role.address;
    return host + u':' + QString::number(role.port);
}
} // namespace

SettingsDialog::SettingsDialog(const HostSettings &settings, const HostTexts &texts,
                               QWidget *parent)
    : QDialog(parent), m_settings(settings), m_texts(texts)
{
    setObjectName(QStringLiteral("frmSettings"));
    setWindowTitle(texts.text("0450", "Settings"));

    txtConnection = new QLineEdit(settings.connection, this);
    txtConnection->setObjectName(QStringLiteral("txtConnection"));
    txtConnection->setPlaceholderText(QStringLiteral("postgresql://ann@db1,db2/staff"));
    // No password in a settings file: libpq finds it in ~/.pgpass.
    QLabel *lblExamples = note(
        QStringLiteral("lblExamples"),
        texts.text("0487", "Examples, without a password (libpq reads it from ~/.pgpass):") +
            QStringLiteral("\npostgresql://ann@db1,db2/staff\n"
                           "Provider=PostgreSQL;Host=db1,db2;Database=staff;User ID=ann\n"
                           "postgresql:///staff?service=ardenta\nsqlite:/srv/ardenta/staff.db"),
        this);
    txtConnection->setMinimumWidth(420);
    cboDialect = new QComboBox(this);
    cboDialect->setObjectName(QStringLiteral("cboDialect"));
    cboDialect->addItem(QStringLiteral("0  Transact-SQL"), 0);
    cboDialect->addItem(QStringLiteral("1  Jet"), 1);
    cboDialect->setCurrentIndex(settings.dialect == 1 ? 1 : 0);
    QLabel *lblDialects = note(
        QStringLiteral("lblDialects"),
        texts.text("0488", "0: statement batches and Getdate(), as written for SQL Server.") +
            u'\n' +
            texts.text("0489", "1: one statement at a time and #date# literals, as written for "
                               "Microsoft Access."),
        this);
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
    form->addRow(QString(), lblExamples);
    form->addRow(texts.text("0452", "SQL dialect"), cboDialect);
    form->addRow(QString(), lblDialects);
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

// Which server answered and whether it takes changes: a list of hosts that reaches only
// standbys shows here before users meet it.
void SettingsDialog::testConnection()
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const QString connection = settings().connection;
    ServerRole role;
    QString message;
    bool ok = ReadServerRole(connection, &role, &message);
    if (ok) {
        QString answered = m_texts.text("0457", "Connected.");
        if (role.postgreSql)
            answered = role.acceptsWrites
                           ? m_texts.text("0484", "Connected to %1; it takes changes.")
                                 .arg(serverName(role, m_texts))
                           : m_texts
                                 .text("0485", "Connected to %1, a standby: it takes no "
                                               "changes.")
                                 .arg(serverName(role, m_texts));
        ok = role.acceptsWrites && CheckDatabase(connection, &message);
        message = ok || !role.acceptsWrites ? answered : answered + u'\n' + message;
    }
    QGuiApplication::restoreOverrideCursor();
    showResult(ok, message);
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
    adjustSize(); // a wrapped result of several lines would otherwise squeeze the examples
}
