#pragma once
// The values of one column held by their kind: whole and real numbers, moments and dates as plain
// numbers, anything else as QVariants. A text of the general date form, as SQLite returns
// moments, is held as a moment and given back as that same text; any other text belongs in
// FieldTexts. Values read back as the QVariants they came as, and as DatabaseValueText of them.
//
// The store knows no nulls: a null row holds a zero that its column never reads.

#include <QVariant>
#include <vector>

class FieldValues
{
public:
    enum class Kind { Unset, Integer, Real, Moment, MomentText, Date, Variant };
    // What append did with a value: held it, or left it to the caller, who widens the column
    // first (to texts for a plain text while the store is unset or holds moments as texts, else
    // to variants).
    enum class Fit { Held, PlainText, OtherKind };

    Kind kind() const { return m_kind; }
    qsizetype size() const { return m_size; }
    // A value that is not null. An unset store takes the kind and QMetaType of the first one.
    Fit append(const QVariant &value);
    void appendNull();
    QVariant value(qsizetype row) const;
    QString text(qsizetype row) const;
    // Holds these as they are, whatever comes after: the widest kind.
    void setVariants(std::vector<QVariant> values);
    void remove(qsizetype row);
    // Keeps the first rows.
    void truncate(qsizetype rows);
    // The last value goes to the row, the rows from there on one down.
    void moveLastTo(qsizetype row);
    // Empty and unset.
    void clear();

private:
    Kind kindOf(const QVariant &value, qint64 *number) const;
    void become(Kind kind, const QVariant &first);

    Kind m_kind = Kind::Unset;
    int m_type = 0; // the QMetaType the values came as
    Qt::TimeSpec m_zone = Qt::LocalTime;
    qsizetype m_size = 0;
    std::vector<qint64> m_numbers;    // Integer, Moment, MomentText (ms), Date (day)
    std::vector<double> m_reals;      // Real
    std::vector<QVariant> m_variants; // Variant
};
