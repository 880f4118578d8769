#include "ScenarioSteps.h"

#include "BenchSupport.h"
#include "db/Database.h"
#include "db/SqlDialect.h"
#include "Measurement.h"
#include "widgets/FlexGrid.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QWidget>

double BareFetch(const QString &connection, const QString &sql, qint64 *rows)
{
    QElapsedTimer timer;
    timer.start();
    qint64 count = 0;
    qint64 values = 0;
    WithConnection(connection, [&](QSqlDatabase &db) {
        QSqlQuery query(db);
        query.setForwardOnly(true);
        ExecStatement(query, AdaptStatement(sql, EngineOf(db)));
        const int columns = query.record().count();
        while (query.next()) {
            ++count;
            for (int i = 0; i < columns; ++i)
                values += query.value(i).isValid();
        }
    });
    if (rows)
        *rows = count;
    return Seconds(timer);
}

void ShowAndPaint(QWidget *window)
{
    window->show();
    QCoreApplication::processEvents();
    window->repaint();
}

void CloseAndDelete(QWidget *window)
{
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

FlexGrid *GridOf(QWidget *window)
{
    return window ? window->findChild<FlexGrid *>(QStringLiteral("vfgMain")) : nullptr;
}
