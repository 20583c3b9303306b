// Filters as a steward might type them into the grid, and everything else.
#include "jet_fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    static const ColumnResolver columns = JetFuzz::resolverFor(JetFuzz::employeeColumns());
    try {
        const SqlCondition condition =
            JetSql::parseFilter(text, columns, SqliteDialect::instance());
        JetFuzz::checkSqlText(condition);
        JetFuzz::run("Employee", condition);
    } catch (const DataError &) {
    }
    return 0;
}
