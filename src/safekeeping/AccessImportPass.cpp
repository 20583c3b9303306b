#include "safekeeping/AccessImportPass.h"

#include "jetsql/DataError.h"
#include "records/CaseImportWriter.h"
#include "records/CaseSchema.h"
#include "safekeeping/AccessImportTexts.h"
#include "safekeeping/FieldMatch.h"
#include "safekeeping/PrivateOutput.h"

namespace AccessImportPass
{

namespace
{

using namespace AccessImportTexts;

constexpr int PreviewRows = 10;
constexpr qint64 RowsPerReport = 256;
// Rows whose questions (a file number held, a Grievance Number taken) go to
// the database at once: one statement on a server, not one per row.
constexpr qsizetype RowsPerQuestion = 5000;

const QString Employee = QString::fromLatin1(CaseSchema::EmployeeTable);
const QString Complaints = QString::fromLatin1(CaseSchema::ComplaintsTable);
const QString FileNumber = QStringLiteral("File Number");

// Where an employee's file number stands among the values add() takes.
qsizetype fileNumberAt()
{
    static const qsizetype at = CaseImportWriter::fields(Employee).indexOf(FileNumber);
    return at;
}

// A complaint's Grievance Number as the file gives it: 0 when it gives
// none, -1 when it is no number above 0.
qint64 givenNumber(const QVariant &value)
{
    if (value.isNull())
        return 0;
    bool ok = false;
    const qint64 n = value.toString().toLongLong(&ok);
    return ok && n > 0 ? n : -1;
}

// Every field of the case table, the Grievance Number too: an Access file
// brings its complaints' numbers along.
QList<CsvColumn> fieldsOf(const QString &table)
{
    QList<CsvColumn> out;
    for (const CaseSchema::Column &c :
         isComplaints(table) ? CaseSchema::complaintsColumns() : CaseSchema::employeeColumns())
        out.append({QString::fromUtf8(c.name), c.length});
    return out;
}

} // namespace

bool isComplaints(const QString &table)
{
    return table.compare(Complaints, Qt::CaseInsensitive) == 0;
}

std::optional<Stop> Pass::table(const AccessReader &reader, AccessTablePlan &plan)
{
    const QString target = isComplaints(plan.mapping.target) ? Complaints : Employee;
    const QList<CsvColumn> fields = fieldsOf(target);
    FieldMatch match(fields);
    QString fault;
    QVariantList full;
    const auto columns = [&](const AccessTable &table) {
        plan.preview = CsvPreview();
        if (!match.header(table.columnNames(), &plan.preview, plan.mapping.columns)) {
            fault = plan.preview.error;
            return;
        }
        for (int c = 0; c < table.columns.size(); ++c)
            if (match.fieldOf(c) >= 0 && table.columns.at(c).binary())
                fault = QString::fromUtf8(BinaryColumn).arg(table.columns.at(c).name);
        plan.preview.ok = fault.isEmpty();
    };
    m_pending.clear();
    const auto row = [&](const AccessRow &values, qint64 number, QString *why) {
        if (fault.isEmpty() && !take(match, target, values, number, full, plan, &fault)) {
            // A fault of an earlier row's answers is met first, as the
            // file's order has it.
            QString earlier;
            if (!decidePending(target, &earlier))
                fault = earlier;
        }
        if (!fault.isEmpty() ||
            (m_pending.size() >= RowsPerQuestion && !decidePending(target, &fault))) {
            *why = fault;
            return false;
        }
        if (number % RowsPerReport == 0 && m_choices.progress)
            m_choices.progress(plan.mapping.source, number, plan.rows);
        return true;
    };
    const AccessReadResult r = reader.rows(plan.mapping.source, row, m_choices.cancel, columns);
    // What was read before the end, or before the reading failed or was
    // cancelled: an earlier row's fault is told first.
    if (fault.isEmpty())
        decidePending(target, &fault);
    if (!fault.isEmpty())
        return Stop{QString::fromUtf8(InTable).arg(plan.mapping.source, fault)};
    if (!r.ok)
        return Stop{r.error, r.damaged, r.cancelled};
    plan.rows = r.rows;
    plan.preview.ok = true;
    if (m_choices.progress)
        m_choices.progress(plan.mapping.source, r.rows, r.rows);
    return std::nullopt;
}

// One row checked, its questions asked and, when writing, added.
bool Pass::take(const FieldMatch &match, const QString &target, const AccessRow &values,
                qint64 number, QVariantList &full, AccessTablePlan &plan, QString *fault)
{
    full = QVariantList(isComplaints(target) ? CaseSchema::complaintsColumns().size()
                                             : CaseSchema::employeeColumns().size());
    QVariantList shown;
    for (int c = 0; c < values.size(); ++c) {
        const int f = match.fieldOf(c);
        if (f < 0)
            continue;
        const AccessValue &v = values.at(c);
        if (v.cut) {
            *fault = QString::fromUtf8(ValueCut)
                         .arg(number)
                         .arg(match.field(f).name)
                         .arg(match.field(f).maxLength);
            return false;
        }
        const auto checked = match.value(f, v.null ? QVariant() : QVariant(v.text), number, fault);
        if (!checked)
            return false;
        full[f] = *checked;
        shown << *checked;
    }
    if (plan.preview.rows.size() < PreviewRows)
        plan.preview.rows << shown;
    m_pending.append({full, number});
    return true;
}

// The rows checked so far, their questions asked of the database together
// and each then counted and, when writing, added, in the file's order.
bool Pass::decidePending(const QString &target, QString *fault)
{
    QList<PendingRow> rows = std::exchange(m_pending, {});
    try {
        if (isComplaints(target)) {
            // A number given earlier in the same batch is m_seen's to
            // catch; the import adds no number of the file's own before
            // it is asked about (new ones come after every number the
            // survey met).
            QSet<qint64> numbers;
            for (const PendingRow &p : rows)
                if (const qint64 n = givenNumber(p.full.at(0)); n > 0)
                    numbers.insert(n);
            const QSet<qint64> taken = m_writer.takenAmong(numbers);
            for (PendingRow &p : rows)
                if (!complaint(p.full, p.number, taken, fault))
                    return false;
            return true;
        }
        QSet<QString> numbers;
        for (const PendingRow &p : rows)
            if (!p.full.at(fileNumberAt()).isNull())
                numbers.insert(p.full.at(fileNumberAt()).toString());
        const QSet<QString> held = m_writer.heldAmong(Employee, FileNumber, numbers);
        for (const PendingRow &p : rows)
            if (!employee(p.full, held, fault))
                return false;
        return true;
    } catch (const DataError &e) {
        *fault = e.description();
        return false;
    }
}

bool Pass::employee(const QVariantList &full, const QSet<QString> &held, QString *fault)
{
    ++counts.employees;
    const QVariant fileNumber = full.at(fileNumberAt());
    if (!fileNumber.isNull() && held.contains(fileNumber.toString())) {
        ++counts.knownEmployees;
        if (m_writing && m_choices.knownEmployees == AccessImportChoices::Known::Refuse) {
            *fault = QString::fromUtf8(ChangedMeanwhile);
            return false;
        }
        if (m_choices.knownEmployees == AccessImportChoices::Known::Skip) {
            ++added.skipped;
            return true;
        }
    }
    if (m_writing) {
        m_writer.add(Employee, full);
        ++added.employees;
    }
    return true;
}

bool Pass::complaint(QVariantList &full, qint64 number, const QSet<qint64> &taken, QString *fault)
{
    ++counts.complaints;
    qint64 n = givenNumber(full.at(0));
    if (n != 0) {
        if (n < 0) {
            *fault = QString::fromUtf8(BadNumber).arg(number).arg(full.at(0).toString());
            return false;
        }
        counts.highestNumber = std::max(counts.highestNumber, n);
        const bool known = m_seen.contains(n) || taken.contains(n);
        m_seen.insert(n);
        if (known) {
            ++counts.collisions;
            if (m_writing && m_choices.collisions != AccessImportChoices::Collisions::Renumber) {
                *fault = QString::fromUtf8(ChangedMeanwhile);
                return false;
            }
        }
        if (m_writing && n > surveyedHighest) {
            *fault = QString::fromUtf8(ChangedMeanwhile);
            return false;
        }
        if (!m_writing)
            return true;
        if (known) {
            const qint64 renumbered = next++;
            report->file().write(QStringLiteral("%1,%2\r\n").arg(n).arg(renumbered).toUtf8());
            ++added.renumbered;
            n = renumbered;
        } else {
            highestKept = std::max(highestKept, n);
        }
    } else if (m_writing) {
        n = next++; // a complaint without a number is given the next one
    }
    if (m_writing) {
        full[0] = n;
        m_writer.add(Complaints, full);
        ++added.complaints;
    }
    return true;
}

} // namespace AccessImportPass
