// ardenta-bare-staff: the bare Qt program the staff window's opening is measured against. It
// fetches the staff window's query forward-only into a plain model and shows it in a table view
// of the window's size, marking the first paint with rows; then it runs until it is ended.
//   ardenta-bare-staff CONNECTION QUERY WIDTH HEIGHT

#include "db/ConnectionPool.h"
#include "db/ConnectionString.h"
#include "PlainTableModel.h"
#include "widgets/BenchMarks.h"

#include <cstdio>
#include <QApplication>
#include <QSqlQuery>
#include <QTableView>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() != 5) {
        std::fprintf(stderr, "usage: ardenta-bare-staff CONNECTION QUERY WIDTH HEIGHT\n");
        return 2;
    }
    PlainTableModel model;
    {
        QSqlDatabase db = OpenDatabase(ParseConnectionString(arguments[1]), UniqueConnectionName());
        QSqlQuery query(db);
        query.setForwardOnly(true);
        query.exec(arguments[2]);
        model.load(query);
    }
    QTableView view;
    view.setModel(&model);
    view.resize(arguments[3].toInt(), arguments[4].toInt());
    MarkFirstRowPaint(&view);
    view.show();
    return QApplication::exec();
}
