// Sort lists as the grid's Sort command and its header clicks pass them.
#include "jet_fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    static const ColumnResolver columns = JetFuzz::resolverFor(JetFuzz::employeeColumns());
    try {
        for (const SortTerm &term : JetSql::parseSort(text, columns)) {
            if (!JetFuzz::employeeColumns().contains(term.column))
                JetFuzz::fail("sort column that is not a column", term.column);
        }
    } catch (const DataError &) {
    }
    return 0;
}
