#include "search/NoticeList.h"

#include "common/ArdentaError.h"
#include "common/Language.h"
#include "widgets/FlexGrid.h"

void FormatNoticeList(FlexGrid *grid, int serialWidth, int timeWidth)
{
    SkipOnError([grid] {
        grid->setFormatString(
            GetLangText(QStringLiteral("0420"), QStringLiteral("SN|ID|Time|Publisher")));
    });
    SkipOnError([grid] { grid->setFixedAlignment(-1, FlexGrid::flexAlignCenterCenter); });
    SkipOnError([grid] {
        grid->setColAlignment(NoticeSerialCol, FlexGrid::flexAlignCenterCenter);
        grid->setColAlignment(NoticeTimeCol, FlexGrid::flexAlignLeftCenter);
        grid->setColAlignment(NoticePublisherCol, FlexGrid::flexAlignLeftCenter);
    });
    SkipOnError([=] {
        grid->setColWidth(NoticeSerialCol, serialWidth);
        grid->setColWidth(NoticeTimeCol, timeWidth);
        grid->setColWidth(NoticePublisherCol, 1500);
    });
    SkipOnError([grid] { grid->setColHidden(NoticeKeyCol, true); });
    SkipOnError(
        [grid] { grid->setColFormat(NoticeTimeCol, QStringLiteral("yyyy-MM-dd HH:mm:ss")); });
}

int FindNoticeRow(const FlexGrid *grid, const QString &strID)
{
    for (int row = grid->FixedRows(); row < grid->Rows(); ++row) {
        if (grid->TextMatrix(row, NoticeKeyCol) == strID)
            return row;
    }
    return -1;
}
