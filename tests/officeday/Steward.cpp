#include "officeday/Steward.h"

#include "browser/GridTableModel.h"
#include "caseform/CaseHandlers.h"
#include "caseform/RecordBinder.h"
#include "caseform/TextBoxBinding.h"
#include "faults/ChildProgram.h"
#include "find/FileNumberChecks.h"
#include "platform/TextBox.h"
#include "records/CaseDatabase.h"
#include "records/CaseSearch.h"
#include "records/RecordSet.h"
#include "safekeeping/BackupKeeper.h"
#include "safekeeping/CaseRestore.h"
#include "safekeeping/CsvExport.h"
#include "safekeeping/CsvReader.h"
#include "safekeeping/TableImport.h"
#include "session/CaseShapes.h"

#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <algorithm>

namespace OfficeDay
{

using Fault::report;

QString poolNumber(unsigned n)
{
    return QStringLiteral("1001%1").arg(n % PoolSize + 1, 2, 10, QLatin1Char('0'));
}

namespace
{

QString oneLine(QString text)
{
    return text.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), u' ');
}

} // namespace

Steward::Steward(const QString &location, int actor, unsigned random)
    : m_location(location), m_actor(actor), m_random(random)
{
    m_previousDialogs = &Dialogs::instance();
    Dialogs::install(this);
    m_tabs = new QTabWidget(&m_window);
    m_tabs->addTab(new QWidget, QStringLiteral("Employee Information"));
    m_tabs->addTab(new QWidget, QStringLiteral("Grievance Information"));
    m_form.SSTab2 = m_tabs;
    for (int p = 0; p < CaseFields::PaneCount; ++p) {
        auto *binder = new RecordBinder(p, &m_window);
        binder->setRecordSource(QString::fromLatin1(CaseSchema::tableOf(CaseFields::Pane(p))));
        // A record loaded into the boxes: read during this step, no earlier.
        binder->onReposition = [this](int i) { m_readAt[i] = m_stepStart; };
        binder->onError = [this](int, int number, const QString &text, int &response) {
            trouble(DataError(number, text));
            response = 0;
        };
        m_form.Data1[p] = binder;
    }
    for (int i = 0; i < CaseFields::BoundFieldCount; ++i) {
        const auto field = CaseFields::Field(i);
        const int p = CaseFields::paneOf(field);
        auto *box = new TextBox(m_tabs->widget(p));
        box->setMaxLength(CaseSchema::fieldLength(field));
        m_form.txtFields[i] = box;
        const QString name = QString::fromUtf8(CaseSchema::fieldName(field));
        m_boxOf[p].insert(name, i);
        pane(p)->bind(TextBoxBinding::of(box), name);
    }
    m_form.setStatusText = [this](const QString &text) {
        if (!m_current.isEmpty())
            report(QStringLiteral("told %1 %2").arg(m_current, oneLine(text)));
    };
    FileNumberChecks::watch(m_form);
    QObject::connect(m_tabs, &QTabWidget::currentChanged, &m_window,
                     [this](int now) { CaseHandlers::SSTab2_Click(m_form, 1 - now); });
}

Steward::~Steward()
{
    Dialogs::install(m_previousDialogs == this ? nullptr : m_previousDialogs);
}

void Steward::open()
{
    m_db = std::make_shared<CaseDatabase>(m_location);
    m_db->open();
    for (int p = 0; p < CaseFields::PaneCount; ++p) {
        pane(p)->setDatabase(m_db);
        pane(p)->open();
    }
    m_grid = std::make_unique<GridTableModel>();
    m_grid->writeFailed = [this](const DataError &e) { m_gridError = e; };
    m_grid->readFailed = [this](const DataError &e) { trouble(e); };
    // As the main window ties a grid over the employees to the checks.
    m_grid->beforeRowUpdate = std::bind_front(FileNumberChecks::beforeUpdate, std::ref(m_form));
    m_grid->rowSaved = std::bind_front(FileNumberChecks::afterSave, std::ref(m_form));
    m_grid->rowDeleted = std::bind_front(FileNumberChecks::afterDelete, std::ref(m_form));
}

Dialogs::Answer Steward::message(const QString &prompt, Buttons buttons, Icon icon, const QString &)
{
    if (buttons == Buttons::Ok || buttons == Buttons::OkCancel) {
        // The handlers' own reports of a failure, which carry no number.
        if (icon == Icon::Exclamation || icon == Icon::Critical)
            trouble(DataError(-1, prompt));
        return Answer::Ok;
    }
    if (m_current.isEmpty())
        return Answer::Yes; // "go to the next page anyway?"
    report(QStringLiteral("ask %1 %2 %3")
               .arg(m_current, m_answer == Answer::Yes ? QStringLiteral("Y") : QStringLiteral("N"),
                    oneLine(prompt)));
    return m_answer;
}

void Steward::trouble(const DataError &e)
{
    report(QStringLiteral("trouble %1 %2 %3 %4")
               .arg(m_stepStart)
               .arg(monotonic())
               .arg(e.number())
               .arg(oneLine(e.description())));
}

QString Steward::boxText(const QString &field, int p) const
{
    return m_form.txtFields[m_boxOf[p].value(field)]->text();
}

void Steward::type(int p, const QString &field, const QString &text)
{
    m_form.txtFields[m_boxOf[p].value(field)]->setText(text);
}

QString Steward::version(int p) const
{
    QStringList values;
    for (const QString &f : versionFields(p == 0 ? Employee : Complaints))
        values << boxText(f, p);
    return values.join(QLatin1Char('|'));
}

QStringList Steward::someFields(const QString &table, int most)
{
    QStringList fields = versionFields(table);
    fields.removeAll(FileNumber);
    std::shuffle(fields.begin(), fields.end(), m_random);
    // One field as often as all the others together: a change of one field
    // alone is what a check that skips a field misses.
    return fields.mid(0, coin(2) ? 1 : 1 + int(m_random() % unsigned(most)));
}

int Steward::pick(int rows)
{
    // Half the time one of the first few: the cases the whole office works on.
    return int(m_random() % unsigned(coin(2) ? std::min(rows, 4) : rows));
}

QString Steward::freshNumber()
{
    return QStringLiteral("%1%2")
        .arg(m_actor, 2, 10, QLatin1Char('0'))
        .arg(m_numbers++, 4, 10, QLatin1Char('0'));
}

QString Steward::newNumber()
{
    // Mostly a number of the employee's own; now and then one shared.
    return coin(4) ? poolNumber(m_random()) : freshNumber();
}

Save Steward::begin(Kind kind, const QString &table, qint64 key)
{
    Save s;
    s.id = QStringLiteral("%1.%2").arg(m_actor).arg(m_saves++);
    s.actor = m_actor;
    s.kind = kind;
    s.table = table;
    s.key = key;
    return s;
}

void Steward::announce(Save &s, int p)
{
    m_current = s.id;
    s.readAt = p < 0 ? m_gridReadAt : m_readAt[p];
    s.start = monotonic();
    report(tryLine(s));
}

bool Steward::settle(Save &s, const std::function<void()> &work, int p)
{
    m_current = s.id;
    try {
        work();
    } catch (const DataError &e) {
        report(QStringLiteral("no %1 %2 %3 %4")
                   .arg(s.id)
                   .arg(monotonic())
                   .arg(e.number())
                   .arg(oneLine(e.description())));
        m_current.clear();
        m_answer = Answer::Yes;
        recover(p, e, s);
        return false;
    }
    report(QStringLiteral("ok %1 %2 %3").arg(s.id).arg(monotonic()).arg(s.key));
    m_current.clear();
    m_answer = Answer::Yes;
    return true;
}

bool Steward::attempt(Save &s, const std::function<void()> &work, int p)
{
    announce(s, p);
    return settle(s, work, p);
}

void Steward::recover(int p, const DataError &e, const Save &s)
{
    if (p < 0) {
        m_grid->discardPending();
        return;
    }
    // What the steward does next: Update again once the server answers, or
    // Refresh as the message says, or give the typing up.
    if (e.number() == DataErrors::Unreachable && s.kind == Kind::Edit) {
        m_retry = s;
        m_retryPane = p;
        return;
    }
    try {
        if (e.number() == DataErrors::WriteConflict || e.number() == DataErrors::RowDeleted)
            pane(p)->refresh();
        else
            pane(p)->open();
    } catch (const DataError &again) {
        trouble(again);
    }
}

void Steward::work(qint64 until, qint64 importAt)
{
    while (monotonic() < until) {
        if (importAt >= 0 && monotonic() >= importAt) {
            importAt = -1;
            importEmployees();
            continue;
        }
        step();
    }
}

void Steward::step()
{
    m_stepStart = monotonic();
    if (m_retry) {
        Save s = *std::exchange(m_retry, std::nullopt);
        if (s.renumbers())
            m_answer = m_retryAnswer;
        attempt(
            s, [this] { pane(m_retryPane)->updateRecord(); }, m_retryPane);
        return;
    }
    // The steps and how often each comes, in hundredths.
    const std::pair<int, std::function<void()>> steps[] = {
        {22, [this] { editEmployee(false, false); }},
        {5, [this] { editEmployee(true, true); }},
        {3, [this] { editEmployee(true, false); }},
        {3, [this] { addEmployee(); }},
        {3, [this] { deleteEmployee(); }},
        {22, [this] { editComplaint(); }},
        {8, [this] { addComplaint(); }},
        {4, [this] { deleteComplaint(); }},
        {10, [this] { gridEdit(); }},
        {3, [this] { pendingComplaintThenRenumber(); }},
        {6, [this] { showEmployee(true); }},
        {3, [this] { findAndExport(); }},
        {8,
         [this] {
             if (showEmployee(false))
                 pane(0)->refresh();
         }},
    };
    int r = int(m_random() % 100);
    try {
        for (const auto &[weight, work] : steps) {
            if (r < weight)
                return work();
            r -= weight;
        }
    } catch (const DataError &e) {
        trouble(e);
    }
}

void Steward::page(int index)
{
    if (m_tabs->currentIndex() != index)
        m_tabs->setCurrentIndex(index);
}

bool Steward::showEmployee(bool move)
{
    page(0);
    RecordBinder *b = pane(0);
    if (!b->rs())
        b->open();
    if (!b->rs())
        return false;
    if (move || b->isOnNewRecord() || !b->rs()->hasCurrent()) {
        b->rs()->fetchAll();
        const int n = b->rs()->loadedCount();
        if (n == 0)
            return false;
        b->setBookmark(b->rs()->keyAt(pick(n)));
    }
    // A row deleted since the keys were read shows empty.
    return b->rs()->hasCurrent() && !b->isOnNewRecord() && !boxText(FileNumber, 0).isEmpty();
}

bool Steward::showComplaints(bool fresh)
{
    if (fresh || m_tabs->currentIndex() != 1) {
        if (!showEmployee(coin(2)))
            return false;
        page(1);
    }
    return pane(1)->rs() != nullptr;
}

bool Steward::editEmployee(bool renumber, bool move, bool stay, const QStringList &also)
{
    if (stay ? !pane(0)->rs() || !pane(0)->rs()->hasCurrent() : !showEmployee(coin(2)))
        return false;
    RecordBinder *b = pane(0);
    Save s = begin(Kind::Edit, Employee, b->rs()->bookmark());
    s.read = version(0);
    s.numberRead = boxText(FileNumber, 0);
    QStringList fields = someFields(Employee, 3) + also;
    if (renumber) {
        const QString to = newNumber();
        type(0, FileNumber, to == s.numberRead ? freshNumber() : to);
        fields << QStringLiteral("Name");
        m_answer = m_retryAnswer = move ? Answer::Yes : Answer::No;
    }
    for (const QString &f : fields)
        type(0, f, s.id);
    s.wrote = version(0);
    s.numberWritten = boxText(FileNumber, 0);
    const bool saved = attempt(
        s, [b] { b->updateRecord(); }, 0);
    if (saved)
        m_lastSaved = s.id;
    if (saved && fields.contains(QStringLiteral("Name")))
        m_named = {s.id, s.key};
    return saved;
}

QString Steward::saveOneName()
{
    return editEmployee(false, false, false, {QStringLiteral("Name")}) ? m_lastSaved : QString();
}

void Steward::addEmployee()
{
    page(0);
    RecordBinder *b = pane(0);
    if (!b->rs())
        b->open();
    if (!b->rs())
        return;
    b->addNew();
    Save s = begin(Kind::Insert, Employee, -1);
    for (const QString &f : versionFields(Employee))
        type(0, f, f == FileNumber ? newNumber() : s.id);
    s.wrote = version(0);
    s.numberWritten = boxText(FileNumber, 0);
    if (attempt(
            s,
            [b, &s] {
                b->updateRecord();
                s.key = b->rs()->lastModified();
            },
            0))
        m_named = {s.id, s.key};
}

void Steward::deleteEmployee()
{
    if (!showEmployee(true))
        return;
    RecordBinder *b = pane(0);
    Save s = begin(Kind::Delete, Employee, b->rs()->bookmark());
    s.read = version(0);
    // The number the row holds now, whatever the pane read.
    s.numberRead = b->rs()->valuesOf(s.key).value(b->rs()->fieldIndex(FileNumber)).toString();
    std::optional<DataError> failed;
    const bool deleted = attempt(
        s,
        [this, b, &failed] {
            FileNumberChecks::cmdDelete_Click(m_form, [b, &failed] {
                try {
                    b->deleteCurrent();
                } catch (const DataError &e) {
                    failed = e;
                }
            });
            if (failed)
                throw *failed;
        },
        0);
    if (deleted)
        b->refresh();
}

bool Steward::pickComplaint()
{
    RecordSet *rs = pane(1)->rs();
    rs->fetchAll();
    if (rs->loadedCount() == 0)
        return false;
    pane(1)->setBookmark(rs->keyAt(pick(rs->loadedCount())));
    // Empty when deleted since the page was read.
    return !boxText(versionFields(Complaints).first(), 1).isEmpty();
}

void Steward::editComplaint()
{
    if (!showComplaints(coin(4)))
        return;
    RecordBinder *c = pane(1);
    RecordSet *rs = c->rs();
    if (c->isOnNewRecord() || !rs->hasCurrent() || coin(2)) {
        rs->fetchAll();
        if (rs->loadedCount() == 0)
            return addComplaint();
        c->setBookmark(rs->keyAt(pick(rs->loadedCount())));
    }
    if (boxText(versionFields(Complaints).first(), 1).isEmpty())
        return; // deleted since the page was read
    Save s = begin(Kind::Edit, Complaints, rs->bookmark());
    s.read = version(1);
    s.numberRead = s.numberWritten = boxText(FileNumber, 1);
    for (const QString &f : someFields(Complaints, 3))
        type(1, f, s.id);
    s.wrote = version(1);
    attempt(
        s, [c] { c->updateRecord(); }, 1);
}

void Steward::addComplaint()
{
    if (!showComplaints(false))
        return;
    // Filed under the employee on the first page, as Add on the second
    // page files it.
    const QString number = boxText(FileNumber, 0);
    if (number.isEmpty())
        return; // "The File Number field is blank": the steward goes back
    RecordBinder *c = pane(1);
    c->addNew();
    c->presetField(TextBoxBinding::of(m_form.txtFields[CaseFields::GrievanceFileNumber]), number);
    Save s = begin(Kind::Insert, Complaints, -1);
    for (const QString &f : versionFields(Complaints))
        type(1, f, s.id);
    s.wrote = version(1);
    s.numberWritten = number;
    attempt(
        s,
        [c, &s] {
            c->updateRecord();
            s.key = c->rs()->lastModified();
        },
        1);
}

void Steward::deleteComplaint()
{
    if (!showComplaints(false))
        return;
    RecordBinder *c = pane(1);
    RecordSet *rs = c->rs();
    if (!pickComplaint())
        return;
    Save s = begin(Kind::Delete, Complaints, rs->bookmark());
    s.read = version(1);
    s.numberRead = boxText(FileNumber, 1);
    if (attempt(
            s, [c] { c->deleteCurrent(); }, 1))
        c->refresh();
}

void Steward::gridEdit()
{
    RecordBinder *b = pane(0);
    if (!b->rs())
        return;
    // The grid window over the employee pane's record set, as the Grid
    // button opens it; left open, it shows rows as it read them, until
    // its Refresh now and then.
    if (m_grid->recordset() != b->recordset() || coin(8)) {
        m_grid->setRecordset(b->recordset());
        m_gridReadAt = monotonic();
        m_grid->fetchAll();
        for (int row = 0; row < std::min(m_grid->storedRows(), 20); ++row)
            m_grid->data(m_grid->index(row, 0)); // the rows on screen
    }
    m_grid->fetchAll();
    if (m_grid->storedRows() == 0)
        return;
    const int row = pick(m_grid->storedRows());
    const RecordSet &rs = *b->rs();
    auto cell = [&](const QString &f) { return m_grid->index(row, rs.fieldIndex(f)); };
    const QStringList fields = versionFields(Employee);
    QStringList values;
    for (const QString &f : fields)
        values << m_grid->data(cell(f), Qt::EditRole).toString();
    if (values.join(QString()).isEmpty())
        return; // deleted since the keys were read
    Save s = begin(Kind::Edit, Employee, rs.keyAt(row));
    s.read = values.join(QLatin1Char('|'));
    s.numberRead = s.numberWritten = values.at(int(fields.indexOf(FileNumber)));
    // Now and then the file number too: the grid's renumbering, with the
    // pane's question.
    QList<QPair<QString, QString>> typed;
    for (const QString &f : someFields(Employee, 2))
        typed.append({f, s.id});
    if (coin(3)) {
        typed.append({FileNumber, newNumber()});
        m_answer = m_retryAnswer = coin(3) ? Answer::No : Answer::Yes;
    }
    for (const auto &[f, text] : std::as_const(typed)) {
        if (!m_grid->setData(cell(f), text, Qt::EditRole))
            return m_grid->discardPending();
        values[int(fields.indexOf(f))] = text;
    }
    s.wrote = values.join(QLatin1Char('|'));
    s.numberWritten = values.at(int(fields.indexOf(FileNumber)));
    m_gridError.reset();
    attempt(
        s,
        [this] {
            const bool written = m_grid->commitPending();
            if (m_gridError)
                throw *m_gridError;
            if (!written || m_grid->hasPending())
                throw DataError(DataErrors::General, QStringLiteral("the row is still pending"));
        },
        -1);
}

void Steward::pendingComplaintThenRenumber()
{
    // Typed on the second page, not saved; then the employee's number
    // changes on the first page, moving the complaints.
    if (!showComplaints(true))
        return;
    RecordBinder *c = pane(1);
    RecordSet *rs = c->rs();
    if (!pickComplaint())
        return;
    Save pending = begin(Kind::Edit, Complaints, rs->bookmark());
    pending.read = version(1);
    pending.numberRead = pending.numberWritten = boxText(FileNumber, 1);
    for (const QString &f : someFields(Complaints, 2))
        type(1, f, pending.id);
    pending.wrote = version(1);
    announce(pending, 1);
    m_current.clear();
    page(0);
    editEmployee(true, true, true);
    // Back on the second page: what was typed is saved, by the renumbering
    // already or by Update now.
    settle(
        pending,
        [c] {
            if (c->isEdited())
                c->updateRecord();
        },
        1);
    page(1);
}

void Steward::importEmployees()
{
    const QString path = m_db->filePath();
    QTemporaryDir dir;
    QFile csv(dir.filePath(QStringLiteral("employees.csv")));
    if (!csv.open(QIODevice::WriteOnly))
        return;
    const QStringList fields = versionFields(Employee);
    QList<Save> rows;
    QByteArray text = fields.join(QLatin1Char(',')).toUtf8() + "\r\n";
    for (int i = 0; i < 12; ++i) {
        Save s = begin(Kind::Import, Employee, -1);
        // Half of them repeat a number of the day, half are new.
        s.numberWritten =
            i % 2 ? poolNumber(m_random())
                  : QStringLiteral("9%1").arg(m_actor * 100 + i, 5, 10, QLatin1Char('0'));
        QStringList values;
        for (const QString &f : fields)
            values << (f == FileNumber ? s.numberWritten : s.id);
        s.wrote = values.join(QLatin1Char('|'));
        text += values.join(QLatin1Char(',')).toUtf8() + "\r\n";
        rows << s;
    }
    csv.write(text);
    csv.close();
    const QList<CsvColumn> columns = CaseShapes::importColumns(Employee);
    auto run = [&](const QString &skipKnown, bool count) {
        QFile in(csv.fileName());
        in.open(QIODevice::ReadOnly);
        TableImportOptions options;
        options.field = skipKnown;
        options.count = count;
        return TableImport::run(m_location, Employee, columns, in, options);
    };
    // As File > Import does it: the rows that repeat a file number counted
    // and the steward asked about them, a backup taken, then every row.
    const CsvImportResult survey = run(FileNumber, true);
    if (!survey.ok)
        return trouble(DataError(DataErrors::General, survey.error));
    const bool skip = survey.skipped > 0 && coin(2);
    if (path.isEmpty()) {
        // A server's table is kept as a CSV file first.
        const CsvExportResult kept =
            CsvExport::tableToFile(*m_db, Employee, dir.filePath(QStringLiteral("kept.csv")));
        if (!kept.ok)
            return trouble(DataError(DataErrors::General, kept.error));
    } else {
        BackupKeeper keeper(path, CaseShapes::caseShape());
        const KeeperResult kept = keeper.run();
        if (kept.outcome != KeeperResult::Outcome::Made &&
            kept.outcome != KeeperResult::Outcome::Unchanged)
            return trouble(DataError(DataErrors::General, kept.message));
        report(QStringLiteral("backup ") +
               (kept.outcome == KeeperResult::Outcome::Made
                    ? kept.backup.path
                    : BackupFolder(path).newestGood(CaseShapes::caseShape()).path));
    }
    for (Save &s : rows)
        announce(s, -1);
    const CsvImportResult result = run(skip ? FileNumber : QString(), false);
    for (Save &s : rows) {
        if (!result.ok)
            report(QStringLiteral("no %1 %2 %3 %4")
                       .arg(s.id)
                       .arg(monotonic())
                       .arg(DataErrors::General)
                       .arg(oneLine(result.error)));
        else if (!skip || !s.numberWritten.startsWith(poolNumber(0).left(4)))
            // skipping, only a row whose number is new to the day surely went in
            report(QStringLiteral("ok %1 %2 -1").arg(s.id).arg(monotonic()));
    }
    m_current.clear();
}

bool Steward::stillNamed(qint64 key, const QString &name)
{
    // As the program reads: connected anew first when the server was lost.
    QSqlQuery &q =
        m_db->cachedQuery(QStringLiteral("SELECT \"Name\" FROM \"Employee\" WHERE %1 = ?")
                              .arg(m_db->keyExpression(Employee)));
    q.bindValue(0, key);
    m_db->exec(q);
    const bool named = q.next() && q.value(0).toString() == name;
    q.finish();
    return named;
}

void Steward::findAndExport()
{
    const auto [name, key] = m_named;
    if (name.isEmpty())
        return;
    m_stepStart = monotonic();
    const bool onServer = m_db->filePath().isEmpty();
    try {
        const CaseSearch::Result hits = CaseSearch(m_db).find(name);
        // Past the list's limit nothing is said of the rest.
        bool found = hits.moreEmployees;
        for (const EmployeeHit &hit : hits.employees)
            found = found || (hit.key == key && hit.name == name);
        // Names are never given twice: still there now, it was there all along.
        if (!found && stillNamed(key, name))
            trouble(DataError(
                DataErrors::General,
                QStringLiteral("Find did not list employee %1 named %2").arg(key).arg(name)));

        // The employees' grid's Export, as GridExport runs it on each back end.
        const RecordSet shown(m_db, Employee);
        QVariantList params;
        const QString select = shown.exportQuery(&params);
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("employees.csv"));
        const CsvExportResult r = onServer
                                      ? CsvExport::serverSelectToFile(*m_db, select, params, target)
                                      : CsvExport::toFile(m_db->filePath(), select, params, target);
        if (!r.ok) {
            // On a server only a server away may stop it; the oracle knows when.
            return trouble(
                DataError(onServer ? DataErrors::Unreachable : DataErrors::General, r.error));
        }
        QStringList problems;
        qint64 rows = 0;
        bool exported = false;
        const qsizetype nameAt = shown.fieldNames().indexOf(QStringLiteral("Name"));
        CsvReader reader([&](const CsvRow &row) {
            if (rows++ == 0) {
                QStringList header;
                for (const CsvField &f : row)
                    header << QString::fromUtf8(f.bytes);
                if (header != shown.fieldNames())
                    problems << QStringLiteral("a header of ") + header.join(u',');
            } else if (row.size() != shown.fieldNames().size()) {
                problems << QStringLiteral("row %1 of %2 fields").arg(rows).arg(row.size());
            } else {
                exported = exported || row.at(nameAt).bytes == name.toUtf8();
            }
            return true;
        });
        QFile file(target);
        if (!file.open(QIODevice::ReadOnly) || !reader.read(file))
            problems << QStringLiteral("a file that does not read back");
        if (rows - 1 != r.rows)
            problems << QStringLiteral("%1 rows said, %2 written").arg(r.rows).arg(rows - 1);
        if (!exported && stillNamed(key, name))
            problems << QStringLiteral("no employee %1 named %2").arg(key).arg(name);
        if (!problems.isEmpty())
            trouble(DataError(DataErrors::General,
                              QStringLiteral("the export holds ") + problems.join(u';')));
        // For the diary kept on request; the director passes it by.
        report(QStringLiteral("looked %1 %2 %3 %4").arg(name).arg(found).arg(exported).arg(r.rows));
    } catch (const DataError &e) {
        trouble(
            DataError(e.number(), QStringLiteral("looking for %1: ").arg(name) + e.description()));
    }
}

void Steward::restore(const QString &backup)
{
    // File > Restore from Backup: the backup checked, the records open now
    // kept by a backup first, the chosen one written in, the database
    // loaded anew; no backup shown is rotated away meanwhile.
    const QString path = m_db->filePath();
    const CaseShape shape = CaseShapes::caseShape();
    auto hold = std::make_shared<BackupHold>();
    const BackupHold::Guard held(*hold);
    const CaseFileReport chosen = CaseFileCheck::check(backup, shape, CaseFileCheck::Depth::Full);
    if (!chosen.good)
        throw DataError(DataErrors::General, chosen.problem);
    BackupKeeper keeper(path, shape);
    keeper.setHold(hold);
    const KeeperResult kept = keeper.run();
    if (kept.outcome != KeeperResult::Outcome::Made &&
        kept.outcome != KeeperResult::Outcome::Unchanged)
        throw DataError(DataErrors::General, kept.message);
    const RestoreResult restored = CaseRestore::replace(backup, path, shape);
    if (!restored.ok)
        throw DataError(DataErrors::General, restored.error);
    auto db = std::make_shared<CaseDatabase>(m_location);
    db->open();
    m_grid->setRecordset(nullptr);
    for (int p = 0; p < CaseFields::PaneCount; ++p) {
        pane(p)->setDatabase(db);
        pane(p)->open();
    }
    m_db = db;
}

} // namespace OfficeDay
