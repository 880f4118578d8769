#include "db/FieldColumn.h"

#include <algorithm>

void FieldColumn::append(const QVariant &value)
{
    // Most values of a query are texts of a text column: no kind to decide.
    if (m_holds == Holds::Texts && value.typeId() == QMetaType::QString) {
        m_nulls.push_back(false);
        m_texts.append(*static_cast<const QString *>(value.constData()));
        return;
    }
    const bool null = value.isNull();
    if (!null && m_holds == Holds::Values) {
        switch (m_values.append(value)) {
        case FieldValues::Fit::Held:
            m_nulls.push_back(false);
            return;
        case FieldValues::Fit::PlainText:
            if (m_values.kind() == FieldValues::Kind::Unset ||
                m_values.kind() == FieldValues::Kind::MomentText) {
                toTexts();
                break;
            }
            [[fallthrough]];
        case FieldValues::Fit::OtherKind:
            toVariants();
            break;
        }
    } else if (!null && m_holds == Holds::RowNumbers) {
        toVariants();
    } else if (!null && value.typeId() != QMetaType::QString) {
        toVariants(); // a text column meets another kind
    }
    m_nulls.push_back(null);
    if (m_holds == Holds::Texts)
        m_texts.append(null ? QString() : value.toString());
    else if (m_holds == Holds::RowNumbers)
        return;
    else if (null)
        m_values.appendNull();
    else
        m_values.append(value);
}

QVariant FieldColumn::value(qsizetype row) const
{
    if (m_nulls[size_t(row)])
        return {};
    switch (m_holds) {
    case Holds::Values:
        return m_values.value(row);
    case Holds::Texts:
        return m_texts.at(row);
    case Holds::RowNumbers:
        break;
    }
    return QString::number(row + 1);
}

QString FieldColumn::text(qsizetype row) const
{
    if (m_holds == Holds::RowNumbers)
        return QString::number(row + 1);
    if (m_nulls[size_t(row)])
        return {};
    return m_holds == Holds::Texts ? m_texts.at(row) : m_values.text(row);
}

void FieldColumn::toTexts()
{
    FieldTexts texts;
    for (qsizetype row = 0; row < size(); ++row)
        texts.append(text(row));
    m_values.clear();
    m_texts = std::move(texts);
    m_holds = Holds::Texts;
}

void FieldColumn::toVariants()
{
    std::vector<QVariant> values;
    values.reserve(m_nulls.size());
    for (qsizetype row = 0; row < size(); ++row)
        values.push_back(value(row));
    m_texts.clear();
    m_values.setVariants(std::move(values));
    m_holds = Holds::Values;
}

void FieldColumn::setText(qsizetype row, const QString &text)
{
    if (m_holds == Holds::RowNumbers && text == QString::number(row + 1))
        return;
    if (m_holds != Holds::Texts)
        toTexts();
    m_nulls[size_t(row)] = false;
    m_texts.set(row, text);
}

void FieldColumn::setNull(qsizetype row)
{
    setText(row, QString());
    m_nulls[size_t(row)] = true;
}

void FieldColumn::appendText(const QString &text)
{
    if (m_holds == Holds::RowNumbers && (text.isEmpty() || text == QString::number(size() + 1))) {
        m_nulls.push_back(false);
        return;
    }
    // An empty cell of a typed column reads as a null one: no need to turn it into texts.
    if (text.isEmpty() && m_holds == Holds::Values) {
        append(QVariant());
        return;
    }
    if (m_holds != Holds::Texts)
        toTexts();
    m_nulls.push_back(false);
    m_texts.append(text);
}

void FieldColumn::remove(qsizetype row)
{
    m_nulls.erase(m_nulls.begin() + row);
    if (m_holds == Holds::Texts)
        m_texts.remove(row);
    else if (m_holds == Holds::Values)
        m_values.remove(row);
}

void FieldColumn::insert(qsizetype row, const QVariant &value)
{
    if (m_holds == Holds::RowNumbers) {
        m_nulls.push_back(false);
        return;
    }
    append(value);
    const qsizetype last = size() - 1;
    if (row >= last)
        return;
    std::rotate(m_nulls.begin() + row, m_nulls.end() - 1, m_nulls.end());
    if (m_holds == Holds::Texts)
        m_texts.moveLastTo(row);
    else
        m_values.moveLastTo(row);
}

void FieldColumn::truncate(qsizetype rows)
{
    if (rows < 0 || rows >= size())
        return;
    m_nulls.resize(size_t(rows));
    if (m_holds == Holds::Texts)
        m_texts.truncate(rows);
    else if (m_holds == Holds::Values)
        m_values.truncate(rows);
}

void FieldColumn::numberRows()
{
    m_values.clear();
    m_texts.clear();
    m_nulls.assign(m_nulls.size(), false);
    m_holds = Holds::RowNumbers;
}
