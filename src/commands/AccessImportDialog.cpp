#include "commands/AccessImportDialog.h"

#include "commands/AccessCommandTexts.h"
#include "records/CaseImportWriter.h"
#include "session/SafeCommandTexts.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

using namespace AccessCommandTexts;

namespace
{

QString listed(const QStringList &names)
{
    return names.isEmpty() ? QString::fromUtf8(SafeCommandTexts::NoneText)
                           : names.join(QStringLiteral(", "));
}

const QStringList CaseTables{QStringLiteral("Employee"), QStringLiteral("Complaints")};

QLabel *plainLabel(QWidget *parent, const char *name)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace

AccessImportDialog::AccessImportDialog(const QString &file, const AccessSurvey &first,
                                       Survey survey, QWidget *parent)
    : QDialog(parent), m_read(std::move(survey)), m_survey(first)
{
    setObjectName(QStringLiteral("AccessImportDialog"));
    setWindowTitle(
        QStringLiteral("%1 %2").arg(QString::fromUtf8(Title), QFileInfo(file).fileName()));
    for (const AccessTablePlan &p : first.plans)
        m_targets.insert(p.mapping.source, p.mapping.target);

    auto *heading = plainLabel(this, "file");
    heading->setText(QString::fromUtf8(FileLine).arg(
        first.format.isEmpty()
            ? QStringLiteral("\"%1\"").arg(QFileInfo(file).fileName())
            : QStringLiteral("\"%1\" (%2)").arg(QFileInfo(file).fileName(), first.format)));
    m_tables = new QTableWidget(int(first.tables.size()), 3, this);
    m_tables->setObjectName(QStringLiteral("tables"));
    m_tables->setHorizontalHeaderLabels({QString::fromUtf8(TableColumn),
                                         QString::fromUtf8(RowsColumn),
                                         QString::fromUtf8(TargetColumn)});
    m_tables->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tables->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_tables->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tables->verticalHeader()->hide();
    m_tables->horizontalHeader()->setStretchLastSection(true);
    m_target = new QComboBox(this);
    m_target->setObjectName(QStringLiteral("target"));
    m_target->addItem(QString::fromUtf8(NotImported));
    m_target->addItems(CaseTables);
    m_columns = new QTableWidget(0, 2, this);
    m_columns->setObjectName(QStringLiteral("columns"));
    m_columns->setHorizontalHeaderLabels(
        {QString::fromUtf8(ColumnColumn), QString::fromUtf8(FillsColumn)});
    m_columns->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_columns->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_columns->setSelectionMode(QAbstractItemView::SingleSelection);
    m_columns->verticalHeader()->hide();
    m_columns->horizontalHeader()->setStretchLastSection(true);
    m_field = new QComboBox(this);
    m_field->setObjectName(QStringLiteral("field"));
    m_rows = new QTableWidget(this);
    m_rows->setObjectName(QStringLiteral("preview"));
    m_rows->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Rows as high as their text, so that a table of many columns shows many.
    for (QTableWidget *t : {m_tables, m_columns, m_rows})
        t->verticalHeader()->setDefaultSectionSize(t->fontMetrics().height() + 6);
    m_match = plainLabel(this, "match");
    m_summary = plainLabel(this, "summary");
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    m_import = buttons->addButton(QString::fromUtf8(SafeCommandTexts::ImportButton),
                                  QDialogButtonBox::AcceptRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *form = new QFormLayout;
    form->addRow(QString::fromUtf8(TargetPrompt), m_target);
    auto *fieldForm = new QFormLayout;
    fieldForm->addRow(QString::fromUtf8(FillsPrompt), m_field);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(m_tables, 1);
    layout->addLayout(form);
    layout->addWidget(m_columns, 2);
    layout->addLayout(fieldForm);
    layout->addWidget(m_rows, 2);
    layout->addWidget(m_match);
    layout->addWidget(m_summary);
    layout->addWidget(buttons);
    resize(720, 520);

    m_pause = new QTimer(this);
    m_pause->setSingleShot(true);
    m_pause->setInterval(PauseMs);
    connect(m_pause, &QTimer::timeout, this, &AccessImportDialog::reread);

    showTables();
    connect(m_tables, &QTableWidget::currentCellChanged, this,
            [this](int, int, int, int) { showCurrent(); });
    connect(m_target, &QComboBox::activated, this, &AccessImportDialog::retarget);
    connect(m_columns, &QTableWidget::currentCellChanged, this, [this](int row, int, int, int) {
        const QSignalBlocker quiet(m_field);
        const QTableWidgetItem *fills = m_columns->item(row, 1);
        const int at = fills ? m_field->findText(fills->text()) : -1;
        m_field->setCurrentIndex(std::max(at, 0));
    });
    connect(m_field, &QComboBox::activated, this, &AccessImportDialog::refield);
    // The first table that goes somewhere, or the first of all.
    int start = 0;
    for (int r = 0; r < m_survey.tables.size(); ++r)
        if (m_targets.contains(m_survey.tables.at(r).name)) {
            start = r;
            break;
        }
    if (!m_survey.tables.isEmpty())
        m_tables->setCurrentCell(start, 0);
    m_tables->setFocus();
}

QList<AccessMapping> AccessImportDialog::mappings() const
{
    // Employees first: a complaint's employee is then there when it comes.
    QList<AccessMapping> out;
    for (const QString &target : CaseTables)
        for (const AccessTable &t : m_survey.tables)
            if (m_targets.value(t.name) == target)
                out << AccessMapping{t.name, target, m_fields.value(t.name)};
    return out;
}

void AccessImportDialog::showTables()
{
    const QSignalBlocker quiet(m_tables);
    for (int r = 0; r < m_survey.tables.size(); ++r) {
        const AccessTable &t = m_survey.tables.at(r);
        const QString target = m_targets.value(t.name, QString::fromUtf8(NotImported));
        m_tables->setItem(r, 0, new QTableWidgetItem(t.name));
        auto *rows = new QTableWidgetItem(QLocale().toString(t.rows));
        rows->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_tables->setItem(r, 1, rows);
        m_tables->setItem(r, 2, new QTableWidgetItem(target));
    }
    m_tables->resizeColumnsToContents();
    m_tables->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);

    QString summary;
    if (!m_survey.ok) {
        summary = m_survey.error;
    } else {
        summary = QString::fromUtf8(Plan).arg(QLocale().toString(m_survey.employees),
                                              QLocale().toString(m_survey.complaints));
        if (m_survey.knownEmployees > 0)
            summary +=
                QString::fromUtf8(PlanKnown).arg(QLocale().toString(m_survey.knownEmployees));
        if (m_survey.collisions > 0)
            summary +=
                QString::fromUtf8(PlanCollisions).arg(QLocale().toString(m_survey.collisions));
    }
    m_summary->setText(summary);
    m_import->setEnabled(m_survey.ok && m_survey.employees + m_survey.complaints > 0);
}

void AccessImportDialog::showCurrent()
{
    const int r = m_tables->currentRow();
    const QString name =
        r >= 0 && r < m_survey.tables.size() ? m_survey.tables.at(r).name : QString();
    const QString target = m_targets.value(name);
    {
        const QSignalBlocker quiet(m_target);
        m_target->setCurrentIndex(target.isEmpty() ? 0 : int(CaseTables.indexOf(target)) + 1);
    }
    showColumns();
    const AccessTablePlan *plan = nullptr;
    for (const AccessTablePlan &p : m_survey.plans)
        if (p.mapping.source == name)
            plan = &p;
    m_rows->clear();
    m_rows->setRowCount(0);
    m_rows->setColumnCount(0);
    if (!plan) {
        m_match->clear();
        return;
    }
    const CsvPreview &preview = plan->preview;
    m_rows->setColumnCount(int(preview.matched.size()));
    m_rows->setHorizontalHeaderLabels(preview.matched);
    m_rows->setRowCount(int(std::min<qsizetype>(preview.rows.size(), PreviewRows)));
    for (int row = 0; row < m_rows->rowCount(); ++row) {
        const QVariantList &values = preview.rows.at(row);
        for (int c = 0; c < values.size() && c < m_rows->columnCount(); ++c)
            m_rows->setItem(row, c, new QTableWidgetItem(values.at(c).toString()));
    }
    m_match->setText(
        QStringList{QString::fromUtf8(SafeCommandTexts::ImportMatched).arg(listed(preview.matched)),
                    QString::fromUtf8(SafeCommandTexts::ImportIgnored).arg(listed(preview.ignored)),
                    QString::fromUtf8(SafeCommandTexts::ImportMissing).arg(listed(preview.missing))}
            .join(QLatin1Char('\n')));
}

void AccessImportDialog::showColumns()
{
    const int r = m_tables->currentRow();
    const bool known = r >= 0 && r < m_survey.tables.size();
    const QString table = known ? m_survey.tables.at(r).name : QString();
    const QString target = m_targets.value(table);
    const QStringList fields = target.isEmpty() ? QStringList() : CaseImportWriter::fields(target);
    {
        const QSignalBlocker quiet(m_field);
        m_field->clear();
        m_field->addItem(QString::fromUtf8(ByName));
        m_field->addItems(fields);
        m_field->setEnabled(!target.isEmpty());
    }
    const QSignalBlocker quiet(m_columns);
    const int keep = m_columns->currentRow();
    m_columns->setRowCount(0);
    if (!known)
        return;
    const QHash<QString, QString> chosen = m_fields.value(table);
    for (const AccessColumn &column : m_survey.tables.at(r).columns) {
        if (column.binary())
            continue;
        QString fills = chosen.value(column.name.toLower());
        for (const QString &f : fields)
            if (fills.isEmpty() && f.compare(column.name, Qt::CaseInsensitive) == 0)
                fills = f;
        if (fills.isEmpty())
            fills = QString::fromUtf8(target.isEmpty() ? NotImported : LeftOut);
        const int row = m_columns->rowCount();
        m_columns->insertRow(row);
        m_columns->setItem(row, 0, new QTableWidgetItem(column.name));
        m_columns->setItem(row, 1, new QTableWidgetItem(fills));
    }
    m_columns->resizeColumnsToContents();
    m_columns->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    if (m_columns->rowCount() > 0) {
        const int row = std::clamp(keep, 0, m_columns->rowCount() - 1);
        m_columns->setCurrentCell(row, 0);
        const QSignalBlocker quietField(m_field);
        m_field->setCurrentIndex(std::max(0, m_field->findText(m_columns->item(row, 1)->text())));
    }
}

void AccessImportDialog::retarget(int index)
{
    const int r = m_tables->currentRow();
    if (r < 0 || r >= m_survey.tables.size())
        return;
    const QString name = m_survey.tables.at(r).name;
    if (index <= 0)
        m_targets.remove(name);
    else
        m_targets.insert(name, CaseTables.at(index - 1));
    m_fields.remove(name); // fields of the other table
    changed();
}

void AccessImportDialog::refield(int index)
{
    const int t = m_tables->currentRow(), c = m_columns->currentRow();
    if (t < 0 || t >= m_survey.tables.size() || c < 0 || !m_columns->item(c, 0))
        return;
    const QString table = m_survey.tables.at(t).name;
    const QString column = m_columns->item(c, 0)->text().toLower();
    if (index <= 0)
        m_fields[table].remove(column);
    else
        m_fields[table].insert(column, m_field->itemText(index));
    changed();
}

void AccessImportDialog::changed()
{
    showColumns();
    m_summary->setText(QString::fromUtf8(NotReadYet));
    m_import->setEnabled(!mappings().isEmpty());
    m_pause->start();
}

void AccessImportDialog::accept()
{
    if (m_pause->isActive())
        reread();
    if (m_import->isEnabled())
        QDialog::accept();
}

void AccessImportDialog::reread()
{
    m_pause->stop();
    const QList<AccessMapping> now = mappings();
    if (now.isEmpty()) {
        // Nothing to read: the file's own answer when nothing is chosen.
        m_survey.plans.clear();
        m_survey.ok = false;
        m_survey.employees = m_survey.complaints = 0;
        m_survey.error = QString::fromUtf8(NotMapped);
    } else {
        const QList<AccessTable> tables = m_survey.tables;
        m_survey = m_read(now);
        if (m_survey.tables.isEmpty())
            m_survey.tables = tables;
    }
    showTables();
    showCurrent();
}
