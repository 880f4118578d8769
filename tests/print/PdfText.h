#pragma once
// Reading PDF files back with poppler's pdftotext.

#include <QProcess>
#include <QRectF>
#include <QRegularExpression>
#include <QStringList>
#include <vector>

namespace PdfText {

inline QString run(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), arguments);
    if (!process.waitForFinished(120000) || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The text of every page in layout mode, one entry per page.
inline QStringList pages(const QString &pdf)
{
    QString text = run({QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    if (text.endsWith(QLatin1Char('\f')))
        text.chop(1);
    return text.split(QLatin1Char('\f'));
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
        QStringLiteral("<page width=\"([\\d.]+)\" height=\"([\\d.]+)\">|<word xMin=\"([\\d.]+)\" "
                       "yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>"));
    std::vector<Word> result;
    int page = 0;
    for (auto it = tag.globalMatch(run({QStringLiteral("-bbox"), pdf, QStringLiteral("-")}));
         it.hasNext();) {
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
