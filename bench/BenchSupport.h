#pragma once
// Pieces the benchmark and the load test share: a private application folder, the session a host
// would set up, an answerer for the module's message boxes, and a few database helpers.

#include "common/DBType.h"
#include <QElapsedTimer>
#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QTemporaryDir>
#include <QVariant>
#include <vector>

// A temporary folder named by ARDENTA_HOME, holding SystemConfig.ini and Errlog.txt. An existing
// folder may be given instead (a client of the load test gets one from its parent).
class BenchHome
{
public:
    explicit BenchHome(const QString &existing = QString());
    QString path() const { return m_path; }
    void writeConfig(quint16 localPort, quint16 remotePort) const;
    // What the module logged in this folder; empty when nothing.
    QString errorLog() const { return ErrorLogIn(m_path); }
    static QString ErrorLogIn(const QString &folder);

private:
    QTemporaryDir m_dir;
    QString m_path;
};

// Fills the session state as clsMain::ShowForm does, without opening a window.
void OpenSession(const QString &connection, const QString &strOperator, DBType dialect);

// Answers every modal QMessageBox as soon as it is shown: Yes/No questions with `question`,
// everything else with OK. The moment a box appears ends the work before it, so timing can stop
// there and leave the wait for the answer out.
class MessageAnswerer : public QObject
{
    Q_OBJECT
public:
    struct Seen
    {
        QMessageBox::Icon icon;
        QString text;
        qint64 shownAtNs; // on clock()
    };

    explicit MessageAnswerer(QMessageBox::StandardButton question = QMessageBox::No);
    ~MessageAnswerer() override;

    const QElapsedTimer &clock() const { return m_clock; }
    const std::vector<Seen> &seen() const { return m_seen; }
    void clear() { m_seen.clear(); }
    // How the next questions are answered.
    void answerQuestions(QMessageBox::StandardButton answer) { m_question = answer; }
    // The first critical box seen, if any ("Failed!").
    QString firstCritical() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QMessageBox::StandardButton m_question;
    QElapsedTimer m_clock;
    std::vector<Seen> m_seen;
};

// Peak resident memory of this process so far, and resident memory now, in MB.
double PeakMemoryMb();
double ResidentMemoryMb();
// Makes the peak start again from the memory resident now (Linux clear_refs).
void ResetPeakMemory();

// Direct database access beside the module, for building data and checking results.
void ExecSql(const QString &connection, const QString &sql);
QList<QVariantList> QueryRows(const QString &connection, const QString &sql);
qint64 QueryCount(const QString &connection, const QString &sql);

// A fresh PostgreSQL database on the server the admin connection names; returns its connection
// string. DropPgDatabase removes it again.
QString CreatePgDatabase(const QString &adminConnection, const QString &name);
void DropPgDatabase(const QString &adminConnection, const QString &name);

// A UDP port nobody holds right now.
quint16 FreeUdpPort();

bool InCi();
