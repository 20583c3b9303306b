#pragma once

#include "access/AccessReader.h"
#include "safekeeping/CsvImport.h"

#include <QHash>
#include <QList>
#include <QString>
#include <atomic>
#include <functional>

class DatabaseBackend;

// One table of the Access file and the case table it goes into.
struct AccessMapping {
    QString source; // the Access table
    QString target; // Employee or Complaints
    // Columns sent to a field of another name (lower-case column -> field);
    // every other column is matched by name, as the CSV import matches.
    QHash<QString, QString> columns;
};

struct AccessTablePlan {
    AccessMapping mapping;
    qint64 rows = 0;    // rows the table gives
    CsvPreview preview; // matched, ignored, missing; the first rows
};

struct AccessImportChoices {
    // Empty: the file's tables named Employee and Complaints (any case).
    QList<AccessMapping> mappings;
    // Incoming employees whose file number an employee there has already.
    enum class Known { Refuse, Add, Skip } knownEmployees = Known::Refuse;
    // Incoming complaints whose Grievance Number is taken (or repeated).
    enum class Collisions { Refuse, Renumber } collisions = Collisions::Refuse;
    const std::atomic<bool> *cancel = nullptr;
    std::function<void(const QString &table, qint64 done, qint64 total)> progress;
};

struct AccessSurvey {
    bool ok = false;
    bool damaged = false;
    QString error;  // for the steward, when not ok
    QString format; // the file's
    QList<AccessTable> tables;
    QList<AccessTablePlan> plans;
    qint64 employees = 0;      // rows for the employees
    qint64 complaints = 0;     // rows for the complaints
    qint64 knownEmployees = 0; // ... whose file number is held already
    qint64 collisions = 0;     // ... whose Grievance Number is taken or repeated
    qint64 highestNumber = 0;  // the highest incoming Grievance Number
};

struct AccessImportResult {
    bool ok = false;
    bool cancelled = false;
    bool damaged = false;
    QString error;
    qint64 employees = 0; // added
    qint64 complaints = 0;
    qint64 skipped = 0;    // known employees left out
    qint64 renumbered = 0; // complaints given a new Grievance Number
    QString backup;        // the backup taken first (a file's), when one was new
    QString backupNote;    // when no backup could be taken and the import went on
    QString report;        // the list of old and new Grievance Numbers
};

// Brings the records of an old Access file (the classic Quillmark.mdb, or
// any other with the steward's choice of tables) into a case database, on
// either back end.
//
// survey() reads the file once and the case database without changing it:
// the tables matched, their previews, and how many rows raise a question.
// run() takes a backup first (Restore undoes the import), then adds every
// row or none in one transaction. Grievance Numbers are kept when none is
// taken; the numbering of new complaints carries on after the highest one
// ever handed out. Colliding numbers are given new ones only when asked,
// listed old and new in a report beside the backups. Neither ever holds a
// table in memory: rows pass through one at a time.
class AccessImport
{
  public:
    AccessImport(const QString &accessFile, const DatabaseBackend &database,
                 const AccessReader::Options &reader = {});

    // The file's tables named like the case tables.
    static QList<AccessMapping> byName(const QList<AccessTable> &tables);

    AccessSurvey survey(const AccessImportChoices &choices) const;
    AccessImportResult run(const AccessImportChoices &choices, const AccessSurvey &survey) const;

    // Where the list of renumbered complaints goes: the backups' folder.
    QString reportFolder() const;

  private:
    QString m_file;
    const DatabaseBackend &m_database;
    AccessReader::Options m_reader;
};
