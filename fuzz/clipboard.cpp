// Text pasted from the clipboard, as hostile as it comes: unbalanced quotes, NUL characters, cells
// of a megabyte, a million empty lines. The reader keeps every row whole and its result writes
// back as text that reads the same. An input starting with 0xFF is its rest repeated to about a
// megabyte, so that the short inputs libFuzzer makes reach those sizes.

#include "common/CellBlock.h"
#include "FuzzSupport.h"

namespace {
constexpr qsizetype Megabyte = 1 << 20;

QString Amplified(const uint8_t *data, size_t size)
{
    const QString piece = InputText(data + 1, size - 1);
    return piece.isEmpty() ? piece : piece.repeated(Megabyte / piece.size() + 1);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text =
        size > 0 && data[0] == 0xFF ? Amplified(data, size) : InputText(data, size);
    const CellRows rows = CellBlock::ReadTabText(text);
    for (const QStringList &row : rows) {
        FUZZ_REQUIRE(!row.isEmpty(), QStringLiteral("an empty row"));
        for (const QString &cell : row)
            FUZZ_REQUIRE(!cell.contains(QChar(0)), cell.left(200));
    }
    const CellRows again = CellBlock::ReadTabText(CellBlock::WriteTabText(rows));
    FUZZ_REQUIRE(again == rows, text.left(200));
    FUZZ_REQUIRE(CellBlock::WriteHtml(rows, 1).endsWith(QLatin1String("</html>")), text.left(200));
    return 0;
}
