#include "staff/StaffStore.h"

#include "common/ArdentaError.h"
#include "db/Database.h"
#include "host/ErrLog.h"
#include "staff/StaffStatements.h"

namespace {
// The entries keep the names of the window routine this work comes from.
const QString Procedure = QStringLiteral("SaveData");
const QString Module = QStringLiteral("frmMain");
} // namespace

// Rows become statements one at a time: under dialect 0 they stream into one transaction and the
// whole batch text is built only for the log entry of a failure.
StaffStore::SaveResult StaffStore::Save(int rows, const RowCells &cells, qint16 dialect)
{
    using Kind = StaffStatements::RowKind;
    int row = 0;       // the next row to turn into a statement
    QString statement; // the current row's, without the CR that ends it in a batch
    bool inserted = false;
    // The next row's statement, or a null string after the last row. A key that is no plain
    // number is logged, as the row is reached, and its row left out.
    const auto next = [&]() -> QString {
        while (row < rows) {
            const QStringList rowCells = cells(row++);
            statement.clear();
            const Kind kind = StaffStatements::AppendRow(statement, rowCells);
            if (kind == Kind::BadKey) {
                // Grid rows count from 1 below the header.
                WriteErrLog(QStringLiteral("Key is not a whole number, row not saved"), Procedure,
                            Module,
                            QStringLiteral("Row %1, Clerk_ID=%2").arg(row).arg(rowCells[0]));
            } else if (kind != Kind::Blank) {
                inserted = inserted || kind == Kind::Insert;
                statement.chop(1);
                return statement;
            }
        }
        return QString();
    };
    // The batch as one text, as it would have been sent whole; rows not reached yet are logged
    // first, as they were before a whole batch failed.
    const auto wholeText = [&]() {
        const int reached = row;
        QString text;
        for (int r = 0; r < reached; ++r)
            StaffStatements::AppendRow(text, cells(r));
        for (QString rest = next(); !rest.isNull(); rest = next())
            text += rest % u'\r';
        return text;
    };
    bool committed = true;
    try {
        if (dialect == 0) {
            committed = ExcuteBatch(next, wholeText);
        } else if (dialect == 1) {
            // One call per row; rows before a failure stay written, the rest are not tried.
            for (QString one = next(); !one.isNull(); one = next()) {
                if (!(committed = ExcuteSQL(one + u'\r')))
                    break;
            }
        } else {
            // No statement runs in another dialect; the rows are read all the same.
            while (!next().isNull())
                continue;
            inserted = false;
        }
    } catch (const std::exception &error) {
        LogFailure(error, Procedure, Module, dialect == 0 ? wholeText() : statement + u'\r');
        return {false, false};
    }
    // New rows get their keys from a reload, so a second save cannot insert them again.
    return {committed, committed && inserted};
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
