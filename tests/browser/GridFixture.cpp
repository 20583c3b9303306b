#include "browser/GridFixture.h"

#include "platform/Forms.h"
#include "records/RecordSet.h"
#include "support/WindowControls.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

void GridTest::TearDown()
{
    MainWindowTest::TearDown();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

frmDataGrid *GridTest::openGrid(int page)
{
    if (window->form().SSTab2->currentIndex() != page)
        clickTab(page);
    const qsizetype before = Forms::loaded().size();
    QTest::mouseClick(recordCommand(*window, "cmdGrid", page), Qt::LeftButton);
    const QList<QWidget *> loaded = Forms::loaded();
    if (loaded.size() != before + 1)
        return nullptr;
    auto *grid = qobject_cast<frmDataGrid *>(loaded.last());
    if (grid) {
        QApplication::setActiveWindow(grid);
        EXPECT_TRUE(QTest::qWaitForWindowActive(grid));
    }
    return grid;
}

QList<qint64> GridTest::addEmployees(const QStringList &names)
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

void GridTest::fillEmployees(int count)
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

int GridTest::columnOf(frmDataGrid *g, const QString &field)
{
    return g->recordset() ? g->recordset()->fieldIndex(field) : -1;
}

int GridTest::storedRows(frmDataGrid *g)
{
    model(g)->fetchAll();
    return model(g)->storedRows();
}

QStringList GridTest::column(frmDataGrid *g, const QString &field)
{
    const int c = columnOf(g, field);
    QStringList out;
    const int rows = storedRows(g);
    for (int r = 0; r < rows; ++r)
        out << model(g)->index(r, c).data().toString();
    return out;
}

void GridTest::clickHeader(frmDataGrid *g, const QString &field, Qt::KeyboardModifiers mods)
{
    QHeaderView *header = g->grdDataGrid->horizontalHeader();
    const int c = columnOf(g, field);
    const QPoint at(header->sectionViewportPosition(c) + header->sectionSize(c) / 2,
                    header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, mods, at);
}

void GridTest::selectRow(frmDataGrid *g, int row)
{
    QHeaderView *header = g->grdDataGrid->verticalHeader();
    const QPoint at(header->width() / 2,
                    header->sectionViewportPosition(row) + header->sectionSize(row) / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

void GridTest::typeInCell(frmDataGrid *g, int row, const QString &field, const QString &text)
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

void GridTest::pressInEditor(frmDataGrid *g, Qt::Key key)
{
    QWidget *target = g->grdDataGrid->viewport()->findChild<QLineEdit *>();
    if (!target || !target->isVisible())
        target = g->grdDataGrid;
    QTest::keyClick(target, key);
}

QString GridTest::employeeName(qint64 rowid)
{
    return db.row(QStringLiteral("Employee"), QStringLiteral("rowid = ?"), {rowid})
        .value(QStringLiteral("Name"))
        .toString();
}

QStringList GridTest::messageTexts() const
{
    QStringList out;
    for (const auto &m : dialogs.messages())
        out << m.prompt;
    return out;
}
