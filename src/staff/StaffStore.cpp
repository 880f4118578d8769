#include "StaffStore.h"

#include "ArdentaError.h"
#include "Database.h"
#include "ErrLog.h"
#include "StaffStatements.h"

namespace {
// The entries keep the names of the window routine this work comes from.
const QString Procedure = QStringLiteral("SaveData");
const QString Module = QStringLiteral("frmMain");
} // namespace

StaffStore::SaveResult StaffStore::Save(int rows, const RowCells &cells, qint16 dialect)
{
    using Kind = StaffStatements::RowKind;
    QString strSQL;
    bool committed = true;
    bool wroteAny = false;
    try {
        if (dialect == 0)
            strSQL.reserve(qsizetype(rows) * 320);
        for (int row = 0; row < rows; ++row) {
            const QStringList rowCells = cells(row);
            if (dialect == 1)
                strSQL.clear();
            const Kind kind = StaffStatements::AppendRow(strSQL, rowCells);
            if (kind == Kind::BadKey) {
                // Grid rows count from 1 below the header.
                WriteErrLog(QStringLiteral("Key is not a whole number, row not saved"), Procedure,
                            Module,
                            QStringLiteral("Row %1, Clerk_ID=%2").arg(row + 1).arg(rowCells.at(0)));
                continue;
            }
            if (dialect == 1 && (kind == Kind::Update || kind == Kind::Insert)) {
                wroteAny = true;
                // Rows before a failure stay written; the rest are not tried.
                if (!ExcuteSQL(strSQL)) {
                    committed = false;
                    break;
                }
            }
        }
        if (dialect == 0 && !strSQL.isEmpty()) {
            wroteAny = true;
            committed = ExcuteSQL(strSQL);
        }
    } catch (const std::exception &error) {
        LogFailure(error, Procedure, Module, strSQL);
        return {false, false};
    }
    // New rows get their keys from the reload, so a second save cannot insert them again.
    return {committed, committed && wroteAny};
}

bool StaffStore::Run(const QString &statement)
{
    m_statement = statement;
    return ExcuteSQL(m_statement);
}

bool StaffStore::DeleteAll()
{
    return Run(StaffStatements::DeleteAll());
}

bool StaffStore::DeleteOne(const QString &key)
{
    return Run(StaffStatements::DeleteOne(key));
}
