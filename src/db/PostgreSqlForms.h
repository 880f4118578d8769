#pragma once
// The two PostgreSQL forms of a connection string, the address and the key-value form, each of
// which may list hosts. Both end in the same driver settings: a list as libpq reads it, the
// options named, and our defaults for what the string leaves out.

#include "db/ConnectionString.h"
#include "db/ConnectionText.h"

#include <QList>
#include <QStringView>

namespace PostgreSqlForms {

// "postgresql://user:password@h1:p1,h2:p2/db?key=value&...". Where each password sits goes to
// secrets, even when the address turns out to be bad, so that masking reads the string exactly
// as this does.
ConnectionSettings ParseUri(QStringView uri, QList<ConnectionText::Span> *secrets);
// "Provider=PostgreSQL;Host=...;Port=...;Database=...;User ID=...;Password=..." as read.
ConnectionSettings ParseKeys(const ConnectionText::KeyValues &pairs);

} // namespace PostgreSqlForms
