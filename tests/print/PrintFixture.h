#pragma once
// What the report and preview tests share: staff rows, the session's language, and PDF files
// read back with poppler's pdftotext.

#include "common/BuiltinLanguagePack.h"
#include "common/Session.h"
#include "db/Recordset.h"

#include <QProcess>
#include <QRectF>
#include <QRegularExpression>
#include <QStringList>
#include <vector>

// name, department, extension, phone, mobile, e-mail
using Staff = QStringList;

// The rows of Vw_Clerk; the columns the report does not show and empty values are null.
inline std::shared_ptr<Recordset> StaffRows(const QList<Staff> &staff)
{
    auto rows = std::make_shared<Recordset>(
        QStringLiteral("Clerk_ID Clerk_NO Clerk_Ext Clerk_UserName Clerk_Dept Clerk_Address "
                       "Clerk_Phone Clerk_Mobile Clerk_Email Clerk_IP Clerk_QQ Clerk_MSN "
                       "Clerk_SKP Clerk_Computer Clerk_Memo")
            .split(u' '),
        std::vector<QVariant>{});
    for (const Staff &s : staff) {
        QVariantList values(15);
        values[0] = int(rows->RecordCount()) + 1;
        const int columns[] = {3, 4, 2, 6, 7, 8};
        for (int i = 0; i < 6; ++i)
            values[columns[i]] = s[i].isEmpty() ? QVariant() : QVariant(s[i]);
        rows->appendRecord(values);
    }
    return rows;
}

// A known directory in view order: departments interleaved, one member without a department.
inline QList<Staff> KnownStaff()
{
    QList<Staff> staff;
    for (const char *line :
         {"Abbott|Sales|201|010-5550101|13900000001|abbott@example.com",
          "Brennan|Finance|301|010-5550102|13900000002|brennan@example.com",
          "Castillo|Sales|202|010-5550103||castillo@example.com",
          "张伟|行政部|401|010-5550104|13900000004|zhangwei@example.com", "Dunmore||501|||",
          "Eastwick|Finance|302|010-5550106|13900000006|eastwick@example.com",
          "Fairbanks|Engineering|601|010-5550107|13900000007|fairbanks@example.com",
          "Gallagher|Sales|203|010-5550108|13900000008|gallagher@example.com",
          "李娜|行政部|402|010-5550109|13900000009|lina@example.com"})
        staff << QString::fromUtf8(line).split(u'|');
    return staff;
}

// count members of five departments in turn, so that each spreads over several pages.
inline QList<Staff> ManyStaff(int count, int first = 1)
{
    static const char *const depts[] = {"Accounts", "Logistics", "Marketing", "Support",
                                        "Research"};
    QList<Staff> staff;
    for (int i = first; i < first + count; ++i)
        staff << Staff{QStringLiteral("Person%1").arg(i, 5, 10, QLatin1Char('0')),
                       QLatin1String(depts[i % 5]),
                       QString::number(1000 + i),
                       QStringLiteral("010-%1").arg(i, 7, 10, QLatin1Char('0')),
                       QStringLiteral("139%1").arg(i, 8, 10, QLatin1Char('0')),
                       QStringLiteral("p%1@example.com").arg(i)};
    return staff;
}

inline void UseLanguage(const QString &language)
{
    auto pack = std::make_shared<BuiltinLanguagePack>();
    pack->Init(QString(), language, QVariant());
    Session().gobjLanguagePack = pack;
    auto fonts = std::make_shared<BuiltinFontScheme>();
    fonts->SetLanguage(language);
    Session().gobjFontScheme = fonts;
}

namespace PdfText {

inline QString run(const QStringList &arguments)
{
    QProcess process;
    process.start("pdftotext", arguments);
    if (!process.waitForFinished(120000) || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The text of every page in layout mode, one entry per page.
inline QStringList pages(const QString &pdf)
{
    QString text = run({"-layout", pdf, "-"});
    if (text.endsWith(u'\f'))
        text.chop(1);
    return text.split(u'\f');
}

struct Word
{
    int Page;
    QRectF Box; // points from the top left of the paper
    QString Text;
};

// Every word with its bounding box, and the paper size of each page in points.
inline std::vector<Word> words(const QString &pdf, std::vector<QSizeF> *paper = nullptr)
{
    static const QRegularExpression tag(
        "<page width=\"([\\d.]+)\" height=\"([\\d.]+)\">|<word xMin=\"([\\d.]+)\" "
        "yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>");
    std::vector<Word> result;
    int page = 0;
    for (auto it = tag.globalMatch(run({"-bbox", pdf, "-"})); it.hasNext();) {
        const auto m = it.next();
        auto number = [&m](int i) { return m.captured(i).toDouble(); };
        if (!m.captured(1).isEmpty()) {
            ++page;
            if (paper)
                paper->emplace_back(number(1), number(2));
        } else {
            result.push_back({page,
                              QRectF(QPointF(number(3), number(4)), QPointF(number(5), number(6))),
                              m.captured(7)});
        }
    }
    return result;
}

} // namespace PdfText
