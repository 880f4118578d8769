#pragma once
// A list of notices as both notice windows show it: serial number, the hidden key, the time and
// the publisher.

#include <QString>

class FlexGrid;

enum NoticeListColumn {
    NoticeSerialCol = 0,
    NoticeKeyCol = 1,
    NoticeTimeCol = 2,
    NoticePublisherCol = 3
};

// Lays the list out under the captions of text 0420. Widths are in twips; a step that fails is
// skipped.
void FormatNoticeList(FlexGrid *grid, int serialWidth, int timeWidth);

// The grid row of the notice with the key, or -1 when the list does not hold it.
int FindNoticeRow(const FlexGrid *grid, const QString &strID);
