#include "browser/GridSteps.h"

#include "records/RecordSet.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QTest>

namespace GridSteps
{

QList<qint64> addEmployees(TempCaseDb &db, const QStringList &names)
{
    QList<qint64> ids;
    int n = 0;
    for (const QString &name : names) {
        ++n;
        ids << db.insert(
            QStringLiteral("Employee"),
            {{QStringLiteral("Name"), name},
             {QStringLiteral("File Number"), QStringLiteral("%1").arg(n, 6, 10, QLatin1Char('0'))},
             {QStringLiteral("Department"), QStringLiteral("D") + name.left(1)}});
    }
    return ids;
}

void fillEmployees(TempCaseDb &db, int count)
{
    if (db.onServer()) {
        db.query(QStringLiteral("INSERT INTO Employee (\"Name\", \"File Number\") "
                                "SELECT 'Person ' || i, lpad(i::text, 6, '0') "
                                "FROM generate_series(1, %1) i")
                     .arg(count));
        return;
    }
    db.query(QStringLiteral(
                 "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < ?) "
                 "INSERT INTO Employee (\"Name\", \"File Number\") "
                 "SELECT 'Person ' || i, printf('%06d', i) FROM n"),
             {count});
}

int columnOf(frmDataGrid *g, const QString &field)
{
    return g->recordset() ? g->recordset()->fieldIndex(field) : -1;
}

int storedRows(frmDataGrid *g)
{
    model(g)->fetchAll();
    return model(g)->storedRows();
}

QStringList column(frmDataGrid *g, const QString &field)
{
    const int c = columnOf(g, field);
    QStringList out;
    const int rows = storedRows(g);
    for (int r = 0; r < rows; ++r)
        out << model(g)->index(r, c).data().toString();
    return out;
}

void clickHeader(frmDataGrid *g, const QString &field, Qt::KeyboardModifiers mods)
{
    QHeaderView *header = g->grdDataGrid->horizontalHeader();
    const int c = columnOf(g, field);
    const QPoint at(header->sectionViewportPosition(c) + header->sectionSize(c) / 2,
                    header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, mods, at);
}

void selectRow(frmDataGrid *g, int row)
{
    QHeaderView *header = g->grdDataGrid->verticalHeader();
    const QPoint at(header->width() / 2,
                    header->sectionViewportPosition(row) + header->sectionSize(row) / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

void typeInCell(frmDataGrid *g, int row, const QString &field, const QString &text)
{
    DataGrid *view = g->grdDataGrid;
    const QModelIndex index = view->model()->index(row, columnOf(g, field));
    view->scrollTo(index);
    view->setCurrentIndex(index);
    view->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(view, Qt::Key_F2); // the edit key opens the cell's editor
    auto *editor = view->viewport()->findChild<QLineEdit *>();
    ASSERT_NE(editor, nullptr) << "no cell editor opened";
    editor->selectAll();
    QTest::keyClicks(editor, text);
}

void pressInEditor(frmDataGrid *g, Qt::Key key)
{
    QWidget *target = g->grdDataGrid->viewport()->findChild<QLineEdit *>();
    if (!target || !target->isVisible())
        target = g->grdDataGrid;
    QTest::keyClick(target, key);
}

QString employeeName(TempCaseDb &db, qint64 rowid)
{
    return db.row(QStringLiteral("Employee"), QStringLiteral("rowid = ?"), {rowid})
        .value(QStringLiteral("Name"))
        .toString();
}

QStringList messageTexts(const ScriptedDialogs &dialogs)
{
    QStringList out;
    for (const auto &m : dialogs.messages())
        out << m.prompt;
    return out;
}

} // namespace GridSteps
