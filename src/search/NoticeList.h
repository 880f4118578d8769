#pragma once

class FlexGrid;

// Lays out a list of notices as both notice windows show it: serial number, the hidden key, the
// time and the publisher, under the captions of text 0420. Widths are in twips; a step that
// fails is skipped.
void FormatNoticeList(FlexGrid *grid, int serialWidth, int timeWidth);
