#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

// An INI file read with the rules of the Windows profile service: section and key names ignore
// letter case, the first occurrence wins, values are trimmed and a pair of matching quotes around
// them removed (keeping the blanks inside), ";" starts a comment line, values are cut at 255
// characters, and a missing file, section or key gives "". The file is read once, when the object
// is made. Files of our own (ardenta.conf) are read with the same rules but no cut.
class IniFile
{
public:
    explicit IniFile(const QString &path, qsizetype maxValueLength = MaxValueLength);
    // The same rules over text already in memory.
    static IniFile FromText(const QByteArray &text);
    QString value(const QString &section, const QString &key) const;
    bool exists() const { return m_exists; }

    static constexpr int MaxValueLength = 255;

private:
    IniFile() = default;
    void read(const QByteArray &bytes, qsizetype maxValueLength);
    QHash<QString, QHash<QString, QString>> m_sections; // lower-case names
    bool m_exists = false;
};
