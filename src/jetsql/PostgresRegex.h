#pragma once

#include <QString>

namespace PostgresRegex
{

// The GLOB that LikePattern writes (case variants spelled out) as an
// anchored regular expression for PostgreSQL's `~` that matches the same
// values.
QString fromGlob(const QString &glob);

} // namespace PostgresRegex
