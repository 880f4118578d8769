#pragma once
// ardenta --settings: the user's own settings (database, dialect, language, operator, presence)
// with a button that tries the connection and says which server answered and whether it takes
// changes. The permissions are shown, not edited: they come from
// the administrator's file.

#include "office/HostSettings.h"
#include "office/HostTexts.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

class SettingsDialog : public QDialog
{
    Q_OBJECT
public:
    SettingsDialog(const HostSettings &settings, const HostTexts &texts, QWidget *parent = nullptr);

    HostSettings settings() const;

private:
    void testConnection();
    void save();
    void showResult(bool ok, const QString &message);

    HostSettings m_settings;
    HostTexts m_texts;
    QLineEdit *txtConnection;
    QComboBox *cboDialect;
    QComboBox *cboLanguage;
    QLineEdit *txtOperator;
    QCheckBox *chkPresence;
    QLineEdit *txtAddress;
    QLabel *lblResult;
};
