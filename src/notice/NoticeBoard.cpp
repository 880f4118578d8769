#include "notice/NoticeBoard.h"

#include "notice/frmNotice.h"

namespace NoticeBoard {

void NoticesChanged(const QList<qint64> &ids)
{
    if (frmNotice *board = frmNotice::loadedInstance())
        board->NoticesChanged(ids);
}

bool Open(qint64 id, const QString &publisher, const QString &textStart)
{
    frmNotice *board = frmNotice::ShowInFront();
    return (id != 0 && board->ShowById(QString::number(id))) ||
           board->ShowNewestFrom(publisher, textStart);
}

} // namespace NoticeBoard
