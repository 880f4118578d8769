#include "notice/NoticeBoard.h"

#include "notice/frmNotice.h"

namespace NoticeBoard {

void RefreshWhileViewing()
{
    if (frmNotice *board = frmNotice::loadedInstance())
        board->RefreshWhileViewing();
}

bool Show(qint64 id)
{
    frmNotice *board = frmNotice::loadedInstance();
    return board && board->ShowById(QString::number(id));
}

bool ShowNewestFrom(const QString &publisher, const QString &textStart)
{
    frmNotice *board = frmNotice::loadedInstance();
    return board && board->ShowNewestFrom(publisher, textStart);
}

} // namespace NoticeBoard
