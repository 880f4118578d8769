#include "staff/CollisionQuestion.h"

#include "common/Convert.h"
#include "common/Language.h"
#include "db/ClerkFields.h"

namespace {
constexpr int ShownRows = 10;
constexpr int ShownChars = 40;

QString Shown(const QString &value)
{
    return value.size() > ShownChars ? value.left(ShownChars - 1) + QChar(0x2026) : value;
}
} // namespace

QString CollisionQuestion(const std::vector<StaffStore::Collision> &collisions,
                          const std::function<QString(int gridRow)> &userName)
{
    const QString captions = GetLangText(QStringLiteral("0419"), ClerkHeaderLine());
    QStringList lines{GetLangText(QStringLiteral("0471"),
                                  QStringLiteral("Colleagues changed these entries since you "
                                                 "read them. Yes: write yours over theirs. No: "
                                                 "keep theirs."))};
    for (size_t i = 0; i < collisions.size() && i < size_t(ShownRows); ++i) {
        const StaffStore::Collision &row = collisions[i];
        lines << GetLangText(QStringLiteral("0472"), QStringLiteral("Row %1 (%2):"))
                     .arg(row.GridRow)
                     .arg(userName(row.GridRow));
        if (row.Deleted)
            lines << QStringLiteral("  ") +
                         GetLangText(QStringLiteral("0474"), QStringLiteral("(deleted)"));
        for (const StaffStore::Collision::Field &field : row.Fields) {
            lines << QStringLiteral("  ") +
                         GetLangText(QStringLiteral("0473"),
                                     QStringLiteral("%1: read '%2', theirs '%3', yours '%4'"))
                             .arg(ClerkCaption(captions, field.Index),
                                  Shown(DatabaseValueText(field.Read)),
                                  Shown(DatabaseValueText(field.Theirs)), Shown(field.Mine));
        }
    }
    if (collisions.size() > size_t(ShownRows))
        lines << GetLangText(QStringLiteral("0475"), QStringLiteral("...and %1 more"))
                     .arg(collisions.size() - size_t(ShownRows));
    return lines.join(u'\n');
}
