#include "db/ClerkFields.h"

#include <QStringList>

QString ClerkHeaderLine()
{
    QString line = QStringLiteral("SN|ID");
    for (const ClerkField &field : ClerkFields)
        line += QLatin1Char('|') + QLatin1String(field.Header);
    return line;
}

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

QString ClerkCaption(const QString &headerLine, int field)
{
    return headerLine.split(u'|').value(ClerkColumns::GridCol(field),
                                        QLatin1String(ClerkFields[size_t(field)].Header));
}
