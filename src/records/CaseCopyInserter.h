#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariantList>

class DatabaseBackend;
struct CaseCopyTable;

// Writes the copied rows of one table into the target, InsertRows at a time
// through one prepared statement (and one for the last, shorter batch).
// Grievance Numbers are kept as they are, also where the server would
// number the rows itself. Throws DataError.
class CaseCopyInserter
{
  public:
    CaseCopyInserter(const DatabaseBackend &target, const QSqlDatabase &db,
                     const CaseCopyTable &table);

    // One row, its values in the table's field order.
    void add(const QVariantList &row);
    // Writes the rows still gathered.
    void flush();

  private:
    QString statement(int rows) const;
    void checkLengths(const QVariantList &row) const;
    QString record(const QVariantList &row) const;

    const DatabaseBackend &m_target;
    QSqlDatabase m_db;
    const CaseCopyTable &m_table;
    QSqlQuery m_full;
    QVariantList m_values;
    qsizetype m_columns = 0;
    bool m_onServer = false;
};
