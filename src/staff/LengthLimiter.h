#pragma once

#include <QValidator>

// A character limit for typing only. QLineEdit::setMaxLength would cut a longer stored text; this
// lets such a text open whole and be shortened, and only refuses edits that grow it past the limit.
class LengthLimiter : public QValidator
{
    Q_OBJECT
public:
    explicit LengthLimiter(QObject *parent = nullptr) : QValidator(parent) {}

    // limit 0 means no limit; currentLength is the length of the text about to be loaded.
    void reset(int limit, qsizetype currentLength)
    {
        m_limit = limit;
        m_length = currentLength;
    }
    int limit() const { return m_limit; }
    // Follows the editor's accepted text.
    void textAccepted(const QString &text) { m_length = text.size(); }

    State validate(QString &input, int &) const override
    {
        if (m_limit <= 0 || input.size() <= m_limit || input.size() <= m_length)
            return Acceptable;
        return Invalid;
    }

private:
    int m_limit = 0;
    qsizetype m_length = 0;
};
