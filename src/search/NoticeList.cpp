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
        grid->setColAlignment(0, FlexGrid::flexAlignCenterCenter);
        grid->setColAlignment(2, FlexGrid::flexAlignLeftCenter);
        grid->setColAlignment(3, FlexGrid::flexAlignLeftCenter);
    });
    SkipOnError([=] {
        grid->setColWidth(0, serialWidth);
        grid->setColWidth(2, timeWidth);
        grid->setColWidth(3, 1500);
    });
    SkipOnError([grid] { grid->setColHidden(1, true); });
    SkipOnError([grid] { grid->setColFormat(2, QStringLiteral("yyyy-MM-dd HH:mm:ss")); });
}
