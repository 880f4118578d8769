#pragma once
// Reading PDF files back with poppler's command-line tools.

#include <QProcess>
#include <QRectF>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <vector>

namespace PdfText {

inline QByteArray run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(120000) || process.exitCode() != 0)
        return {};
    return process.readAllStandardOutput();
}

// The text of every page, in layout mode; pages are separated by form feeds.
inline QStringList pages(const QString &pdf)
{
    QString text = QString::fromUtf8(
        run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")}));
    if (text.endsWith(QLatin1Char('\f')))
        text.chop(1);
    return text.split(QLatin1Char('\f'));
}

inline int pageCount(const QString &pdf)
{
    const QString info = QString::fromUtf8(run(QStringLiteral("pdfinfo"), {pdf}));
    const auto match = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
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
    const QString html = QString::fromUtf8(
        run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")}));
    static const QRegularExpression tag(
        QStringLiteral("<page width=\"([\\d.]+)\" height=\"([\\d.]+)\">|<word xMin=\"([\\d.]+)\" "
                       "yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>"));
    std::vector<Word> result;
    int page = 0;
    for (auto it = tag.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        if (!m.captured(1).isEmpty()) {
            ++page;
            if (paper)
                paper->emplace_back(m.captured(1).toDouble(), m.captured(2).toDouble());
            continue;
        }
        result.push_back({page,
                          QRectF(QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()),
                                 QPointF(m.captured(5).toDouble(), m.captured(6).toDouble())),
                          m.captured(7)});
    }
    return result;
}

} // namespace PdfText
