#include "db/ClerkFields.h"

QString ClerkFieldList()
{
    QString list;
    for (const ClerkField &field : ClerkFields) {
        if (!list.isEmpty())
            list += QLatin1Char(',');
        list += QLatin1String(field.Name);
    }
    return list;
}
