#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariantList>

class DatabaseBackend;
struct CaseCopyTable;

// Writes the copied rows of one table into the target: into a file InsertRows
// at a time through one prepared statement (and one for the last, shorter
// batch); onto a server CopyRows at a time through PostgreSQL's COPY, which
// takes rows as one stream instead of one statement each. Between two
// batches the connection answers queries as usual. Grievance Numbers are
// kept as they are, also where the server would number the rows itself.
// Throws DataError.
class CaseCopyInserter
{
  public:
    CaseCopyInserter(const DatabaseBackend &target, const QSqlDatabase &db,
                     const CaseCopyTable &table);

    // One row, its values in the table's field order.
    void add(const QVariantList &row);
    // Writes the rows still gathered.
    void flush();

    // Rows a COPY onto a server takes at most.
    static constexpr int CopyRows = 5000;

  private:
    void copyToServer();
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
    QByteArray m_stream; // the rows gathered for the server, in COPY's text form
    int m_streamRows = 0;
};
