// The grid window's writes under another program: a row that program changed
// or deleted is reported and never overwritten or brought back; a write lock
// it holds past the busy timeout is reported and the typed row is written on
// the next try.
#include "faults/ChildProgram.h"
#include "support/CaseFixture.h"

#include "browser/DataGrid.h"
#include "browser/frmDataGrid.h"
#include "platform/Forms.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace
{

using Fault::ChildProgram;

enum class Other { ChangesTheRow, DeletesTheRow, HoldsTheLock };

struct GridCase {
    const char *name;
    Other other;
    const char *errorNumber;
};

class FaultGrid : public MainWindowTest, public ::testing::WithParamInterface<GridCase>
{
  protected:
    frmDataGrid *openGrid()
    {
        const qsizetype before = Forms::loaded().size();
        QTest::mouseClick(recordCommand(*window, "cmdGrid", CaseFields::EmployeePane),
                          Qt::LeftButton);
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
    int nameColumn(frmDataGrid *g)
    {
        QAbstractItemModel *m = g->grdDataGrid->model();
        for (int c = 0; c < m->columnCount(); ++c)
            if (m->headerData(c, Qt::Horizontal).toString() == QLatin1String("Name"))
                return c;
        return -1;
    }
    void typeName(frmDataGrid *g, int row, const QString &text)
    {
        DataGrid *view = g->grdDataGrid;
        const QModelIndex index = view->model()->index(row, nameColumn(g));
        view->setCurrentIndex(index);
        view->setFocus(Qt::OtherFocusReason);
        QTest::keyClick(view, Qt::Key_F2);
        auto *editor = view->viewport()->findChild<QLineEdit *>();
        ASSERT_NE(editor, nullptr);
        editor->selectAll();
        QTest::keyClicks(editor, text);
    }
    void leaveRow(frmDataGrid *g, Qt::Key key)
    {
        QWidget *target = g->grdDataGrid->viewport()->findChild<QLineEdit *>();
        if (!target || !target->isVisible())
            target = g->grdDataGrid;
        QTest::keyClick(target, key);
    }
    QString storedName(qint64 key)
    {
        return db.row(QStringLiteral("Employee"), QStringLiteral("rowid = ?"), {key})
            .value(QStringLiteral("Name"))
            .toString();
    }
    QStringList prompts() const
    {
        QStringList p;
        for (const auto &m : dialogs.messages())
            p << m.prompt;
        return p;
    }
};

TEST_P(FaultGrid, AnotherProgramsWorkIsNeverOverwrittenAndTheStewardIsTold)
{
    const GridCase &c = GetParam();
    db.insert(QStringLiteral("Employee"),
              {{QStringLiteral("Name"), QStringLiteral("Adams")},
               {QStringLiteral("File Number"), QStringLiteral("000001")}});
    const qint64 baker = db.insert(QStringLiteral("Employee"),
                                   {{QStringLiteral("Name"), QStringLiteral("Baker")},
                                    {QStringLiteral("File Number"), QStringLiteral("000002")}});
    start();
    frmDataGrid *grid = openGrid();
    ASSERT_NE(grid, nullptr);
    typeName(grid, 1, QStringLiteral("Barker"));

    std::unique_ptr<ChildProgram> other;
    if (c.other == Other::HoldsTheLock) {
        other = std::make_unique<ChildProgram>(
            QStringLiteral("FaultLockHolder.DISABLED_HoldsTheWriteLock"), QStringList{db.path()});
        ASSERT_TRUE(other->start());
        ASSERT_EQ(other->nextReport(), QStringLiteral("holding"));
    } else {
        ChildProgram change(QStringLiteral("FaultOtherProgram.DISABLED_ChangesOneRecord"),
                            {db.path(), QStringLiteral("Employee"), QString::number(baker),
                             c.other == Other::ChangesTheRow ? QStringLiteral("Name") : QString(),
                             QStringLiteral("Bakerman")});
        ASSERT_TRUE(change.start());
        ASSERT_EQ(change.nextReport(), QStringLiteral("done"));
        ASSERT_TRUE(change.finish()) << change.errors().toStdString();
    }

    dialogs.clear();
    leaveRow(grid, Qt::Key_Up);
    const QStringList shown = prompts();
    ASSERT_EQ(shown.size(), 2) << shown.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(shown.at(0), QStringLiteral("Commit changes?"));
    EXPECT_TRUE(shown.at(1).startsWith(QStringLiteral("Error:") + QLatin1String(c.errorNumber)))
        << shown.at(1).toStdString();

    switch (c.other) {
    case Other::ChangesTheRow:
        EXPECT_TRUE(shown.at(1).contains(QStringLiteral("000002"))) << "names the record";
        EXPECT_EQ(storedName(baker), QStringLiteral("Bakerman"));
        EXPECT_EQ(grid->grdDataGrid->model()->index(1, nameColumn(grid)).data().toString(),
                  QStringLiteral("Bakerman"));
        break;
    case Other::DeletesTheRow:
        EXPECT_TRUE(shown.at(1).contains(QStringLiteral("deleted"))) << shown.at(1).toStdString();
        EXPECT_EQ(db.count(QStringLiteral("Employee")), 1) << "the deleted row is not brought back";
        break;
    case Other::HoldsTheLock:
        EXPECT_EQ(storedName(baker), QStringLiteral("Baker"));
        other->send("release");
        EXPECT_EQ(other->nextReport(), QStringLiteral("released"));
        ASSERT_TRUE(other->finish());
        // The typed row waits for another try; leaving it again writes it.
        dialogs.clear();
        grid->grdDataGrid->setCurrentIndex(grid->grdDataGrid->model()->index(1, nameColumn(grid)));
        leaveRow(grid, Qt::Key_Up);
        EXPECT_EQ(prompts(), QStringList{QStringLiteral("Commit changes?")});
        EXPECT_EQ(storedName(baker), QStringLiteral("Barker"));
        break;
    }
}

INSTANTIATE_TEST_SUITE_P(Others, FaultGrid,
                         ::testing::Values(GridCase{"RowChanged", Other::ChangesTheRow, "3020"},
                                           GridCase{"RowDeleted", Other::DeletesTheRow, "3026"},
                                           GridCase{"LockHeldPastTheTimeout", Other::HoldsTheLock,
                                                    "3022"}),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
