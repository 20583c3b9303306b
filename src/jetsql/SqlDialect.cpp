#include "jetsql/SqlDialect.h"

QString SqlDialect::quoteIdentifier(const QString &name) const
{
    return JetSql::quoteIdentifier(name);
}
