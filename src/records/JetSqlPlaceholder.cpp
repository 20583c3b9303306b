#include "records/JetSql.h"
#include <QRegularExpression>
namespace JetSql {
QString quoteString(const QString &t) { return "'" + QString(t).replace("'", "''") + "'"; }
QString quoteIdentifier(const QString &n) { return '"' + QString(n).replace('"', "\"\"") + '"'; }
SelectQuery parseRecordSource(const QString &source, const TableResolver &tables)
{
    static QRegularExpression sel("^\\s*SELECT \\* FROM (\\w+)(?: WHERE \\[File Number\\] (LIKE|=) '(.*)')?\\s*$", QRegularExpression::CaseInsensitiveOption);
    auto m = sel.match(source);
    QString t = m.hasMatch() ? m.captured(1) : source.trimmed();
    auto info = tables(t);
    if (!info) throw DataError(DataErrors::UnknownTable, "no table " + t);
    SelectQuery q; q.table = info->name;
    if (m.hasMatch() && !m.captured(2).isEmpty()) {
        QString v = m.captured(3).replace("''", "'");
        if (m.captured(2).toUpper() == "LIKE") {
            v.chop(1);
            q.where.sql = "\"File Number\" >= ? AND \"File Number\" < ?";
            q.where.params << v.toLower() << (v.isEmpty() ? QString(QChar(0xffff)) : v.toLower().left(v.size()-1) + QChar(v.toLower().back().unicode()+1));
        } else { q.where.sql = "\"File Number\" = ?"; q.where.params << v; }
        q.seekColumn = "File Number";
    }
    return q;
}
SqlCondition parseFilter(const QString &, const ColumnResolver &) { throw DataError(DataErrors::Unsupported, "x"); }
QList<SortTerm> parseSort(const QString &, const ColumnResolver &) { throw DataError(DataErrors::Unsupported, "x"); }
}
