#include "notice/NoticeBoard.h"

#include "notice/frmNotice.h"

namespace NoticeBoard {

void RefreshWhileViewing()
{
    if (frmNotice *board = frmNotice::loadedInstance())
        board->RefreshWhileViewing();
}

bool Open(qint64 id, const QString &publisher, const QString &textStart)
{
    frmNotice *board = frmNotice::ShowInFront();
    return (id != 0 && board->ShowById(QString::number(id))) ||
           board->ShowNewestFrom(publisher, textStart);
}

} // namespace NoticeBoard
