#include "common/IniFile.h"

#include <QFile>

namespace {
// The first `length` UTF-16 units, one fewer where the last would be half of a pair.
QStringView cutAtCharacter(QStringView text, qsizetype length)
{
    if (text.size() <= length)
        return text;
    if (length > 0 && text.at(length - 1).isHighSurrogate())
        --length;
    return text.left(length);
}
} // namespace

IniFile::IniFile(const QString &path, qsizetype maxValueLength)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    m_exists = true;
    read(file.readAll(), maxValueLength);
}

IniFile IniFile::FromText(const QByteArray &text)
{
    IniFile ini;
    ini.m_exists = true;
    ini.read(text, MaxValueLength);
    return ini;
}

void IniFile::read(const QByteArray &bytes, qsizetype maxValueLength)
{
    const QString text = QString::fromUtf8(bytes);

    QHash<QString, QString> *current = nullptr;
    for (QStringView line : QStringView(text).split(QLatin1Char('\n'))) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            const qsizetype close = line.indexOf(QLatin1Char(']'));
            const QString name = line.mid(1, close < 0 ? -1 : close - 1).trimmed().toString();
            current = &m_sections[name.toLower()];
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (!current || equals < 0)
            continue;
        const QString key = line.left(equals).trimmed().toString().toLower();
        if (current->contains(key))
            continue;
        QStringView found = line.mid(equals + 1).trimmed();
        // Quotes keep the blanks inside them.
        const bool quoted =
            found.size() >= 2 &&
            (found.front() == QLatin1Char('"') || found.front() == QLatin1Char('\'')) &&
            found.back() == found.front();
        if (quoted)
            found = found.mid(1, found.size() - 2);
        found = cutAtCharacter(found, maxValueLength);
        current->insert(key, (quoted ? found : found.trimmed()).toString());
    }
}

QString IniFile::value(const QString &section, const QString &key) const
{
    const auto found = m_sections.constFind(section.toLower());
    if (found == m_sections.cend())
        return QString();
    return found->value(key.toLower());
}
