#pragma once
// The statement of the notice search, kept apart from the window so its quoting can be checked
// on its own.

#include "common/DBType.h"

#include <QDate>
#include <QString>

// strPublisher is the text as typed: blanks around it are ignored, a blank text matches every
// publisher, single quotes are doubled so the text cannot end its literal, and "%" and "_" stay
// wildcards. With blnTime the range covers the whole of both days; Jet takes the bounds between
// "#", Transact-SQL as quoted literals.
QString NoticeQuerySQL(const QString &strPublisher, bool blnTime, const QDate &dateFrom,
                       const QDate &dateTo, DBType intDBType);
