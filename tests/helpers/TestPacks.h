#pragma once
// Host objects for tests: a language pack that fails on every text, and a fixed font.

#include <FontScheme.h>
#include <LanguagePack.h>

#include <stdexcept>

class ThrowingPack : public LanguagePack
{
public:
    int Init(const QString &, const QString &, const QVariant &) override { return 0; }
    QString GetText(const QString &) override { throw std::runtime_error("pack failed"); }
};

class FixedFontScheme : public FontScheme
{
public:
    FixedFontScheme(QString charset, QString face, qint16 size)
        : m_charset(std::move(charset)), m_face(std::move(face)), m_size(size)
    {
    }
    void SetLanguage(const QString &) override {}
    QString Charset() override { return m_charset; }
    QString FontName() override { return m_face; }
    qint16 FontSize() override { return m_size; }

private:
    QString m_charset, m_face;
    qint16 m_size;
};
