// ardenta-listen against what anyone on the network may send: it keeps running, prints one line
// per notice, and no control character from a datagram reaches the terminal.

#include "common/NoticeMessage.h"
#include "Listener.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QtTest>
#include <QUdpSocket>

namespace {

QByteArray notice(const QByteArray &publisher, const QByteArray &content)
{
    return "###Notice###~!" + publisher + "~!" + content;
}

// Datagram i of the flood and whether it is a notice. Most are small so that a batch fits the
// receiver's socket buffer; one in about a thousand is near the largest a datagram can be.
QPair<QByteArray, bool> hostileDatagram(int i, QRandomGenerator &random)
{
    QByteArray noise(int(random.bounded(300)), Qt::Uninitialized);
    for (char &byte : noise)
        byte = char(random.bounded(256));
    const bool big = i % 997 == 4;
    const QPair<QByteArray, bool> kinds[] = {
        {'x' + noise, false},
        // retitle, clear, C1 CSI, DEL, NUL
        {notice("\x1b]0;owned\x07", QByteArrayLiteral("\x1b[2J\xc2\x9b\x33\x31m\x7f\x00x") + noise),
         true},
        {"###Notice###~!" + QByteArray(noise).replace("~!", "~?"), false},
        // not valid UTF-8 after a valid head
        {notice("\xff\xfe", "\xc3\x28\xed\xa0\x80" + noise), true},
        {big ? notice("big", QByteArray(65000, 'a')) : QByteArray('#' + noise), big},
        {notice("", ""), true},
        {"###notice###~!a~!b", false},
        {QByteArray(), false}};
    return kinds[i % 8];
}

} // namespace

class tst_listen : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Breaks and tabs become blanks, other control characters their escapes; the rest is kept.
    void printable()
    {
        QCOMPARE(NoticeMessage::Printable("a\r\nb\rc\nd\te\x1b]0;t\x07\x7f\u009b张"),
                 "a b c d e\\x1B]0;t\\x07\\x7F\\x9B张");
    }

    void survivesHostileDatagrams()
    {
        const quint16 port = FreeUdpPort();
        QProcess listener;
        QVERIFY(StartListener(listener, port));

        QUdpSocket sender;
        QRandomGenerator random(20261206);
        QByteArray output;
        int notices = 0;
        // Batches of 50 end with a marked notice; waiting for it keeps the socket buffer from
        // overflowing, so every notice sent must come out.
        for (int batch = 0; batch < 2000; ++batch) {
            for (int i = batch * 50; i < (batch + 1) * 50; ++i) {
                const auto [bytes, isNotice] = hostileDatagram(i, random);
                QCOMPARE(sender.writeDatagram(bytes, QHostAddress::LocalHost, port),
                         qint64(bytes.size()));
                notices += isNotice;
            }
            const QByteArray mark = "end of batch " + QByteArray::number(batch) + '\n';
            sender.writeDatagram(notice("sync", mark.chopped(1)), QHostAddress::LocalHost, port);
            ++notices;
            QDeadlineTimer deadline(10000);
            while (!output.endsWith(mark) && !deadline.hasExpired()) {
                listener.waitForReadyRead(100);
                output += listener.readAllStandardOutput();
            }
            QVERIFY2(output.endsWith(mark), mark.constData());
        }
        listener.terminate();
        QVERIFY(listener.waitForFinished());
        QCOMPARE(listener.exitCode(), 0);

        QCOMPARE(output.count('\n'), notices);
        QCOMPARE(output.count('\t'), 2 * notices); // time, publisher, content
        // Any control character but the tabs and line ends of the lines themselves.
        const QString text = QString::fromUtf8(output);
        const qsizetype at = text.indexOf(QRegularExpression(R"([\x00-\x08\x0b-\x1f\x7f-\x9f])"));
        QVERIFY2(at < 0, qPrintable(text.mid(at - 40, 80)));
    }
};

QTEST_GUILESS_MAIN(tst_listen)
#include "tst_listen.moc"
