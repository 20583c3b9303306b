#pragma once

#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <functional>
#include <memory>

class DatabaseBackend;

// Writes rows brought in from elsewhere (an Access file, a CSV file) into the case tables of either
// back end, through the seam: on a connection of its own, in one transaction, InsertRows rows a
// statement with the copy's inserter. It also answers the questions an
// import asks before each row: is this employee's file number held
// already, is this Grievance Number taken.
//
// Every call but the constructor and fields() belongs inside run().
// Failures throw DataError; the database is then as it was.
class CaseImportWriter
{
  public:
    enum class Mode {
        Survey, // reads only, and rolls back whatever happened
        Write,  // commits when the work returns
    };

    explicit CaseImportWriter(const DatabaseBackend &database);
    ~CaseImportWriter();
    CaseImportWriter(const CaseImportWriter &) = delete;
    CaseImportWriter &operator=(const CaseImportWriter &) = delete;

    // The fields of a case table in the order add() takes their values:
    // the Grievance Number first for complaints.
    static QStringList fields(const QString &table);

    // Runs `work` in one transaction. Writing, the server's case tables are
    // the import's alone until it ends: no steward's save slips between a
    // question answered here and the row written on its answer.
    void run(Mode mode, const std::function<void()> &work);

    // Whether a row that was there before run() began holds `value` in
    // `field` of `table`, letter case aside as the database compares text.
    bool held(const QString &table, const QString &field, const QString &value);
    // Those of `values` that held() would answer yes to, asked at once: on
    // a server one statement for them all, not one per value.
    QSet<QString> heldAmong(const QString &table, const QString &field,
                            const QSet<QString> &values);
    // Whether a complaint holds this Grievance Number.
    bool numberTaken(qint64 number);
    // Those of `numbers` that numberTaken() would answer yes to, asked at
    // once as heldAmong() asks.
    QSet<qint64> takenAmong(const QSet<qint64> &numbers);
    // The highest Grievance Number the database ever handed out or holds.
    qint64 highestNumber();

    // One row, its values in fields() order; a complaint's number is never
    // empty (the import chooses it).
    void add(const QString &table, const QVariantList &values);
    // After the last row: new complaints are numbered after `highest`.
    void finish(qint64 highest);

  private:
    struct Private;
    std::unique_ptr<Private> d;
};
