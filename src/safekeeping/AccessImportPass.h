#pragma once

// The pass over an Access file's chosen tables that the survey and the
// import share (AccessImport's own; nothing else uses it).
#include "safekeeping/AccessImport.h"

#include <QSet>
#include <optional>

class CaseImportWriter;
class PrivateOutput;
class FieldMatch;

namespace AccessImportPass
{

// Why a pass ended early.
struct Stop {
    QString error;
    bool damaged = false;
    bool cancelled = false;
};

bool isComplaints(const QString &table);

// One pass over the chosen tables: the survey's (counting) or the import's
// (writing). Both ask the same questions of each row, so the survey's
// counts are what the import meets.
class Pass
{
  public:
    Pass(CaseImportWriter &writer, const AccessImportChoices &choices, bool writing)
        : m_writer(writer), m_choices(choices), m_writing(writing)
    {
    }

    AccessSurvey counts;
    AccessImportResult added;
    PrivateOutput *report = nullptr;
    qint64 next = 0;        // the next new Grievance Number, when writing
    qint64 highestKept = 0; // ... of the numbers kept
    qint64 surveyedHighest = 0;

    std::optional<Stop> table(const AccessReader &reader, AccessTablePlan &plan);

  private:
    bool take(const FieldMatch &match, const QString &target, const AccessRow &values,
              qint64 number, QVariantList &full, AccessTablePlan &plan, QString *fault);
    bool decidePending(const QString &target, QString *fault);
    bool employee(const QVariantList &full, const QSet<QString> &held, QString *fault);
    bool complaint(QVariantList &full, qint64 number, const QSet<qint64> &taken, QString *fault);

    // A row checked, its questions not yet asked: its values and its
    // number in the file.
    struct PendingRow {
        QVariantList full;
        qint64 number;
    };
    QList<PendingRow> m_pending;

    CaseImportWriter &m_writer;
    const AccessImportChoices &m_choices;
    bool m_writing;
    QSet<qint64> m_seen; // incoming numbers: one given twice is taken the second time
};

} // namespace AccessImportPass
