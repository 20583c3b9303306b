// File > Import from Access Database, worked by keyboard on both back ends:
// a table that is not a case table sent to the employees, two of its
// columns sent to fields, the employee already there left out on the
// steward's answer, and what lands in the case database checked against
// mdb-export, a reader of the same file that shares nothing with ours.
#include "access/AccessSamples.h"
#include "support/ScriptedDialogs.h"
#include "support/TempCaseDb.h"

#include "commands/AccessImportCommand.h"
#include "commands/AccessImportDialog.h"
#include "records/DatabaseBackend.h"

#include <QComboBox>
#include <QDeadlineTimer>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

namespace
{

// mdb-export's rows of a table, by column name.
QList<QVariantMap> exported(const QString &file, const QString &table)
{
    QProcess p;
    p.start(QStringLiteral("mdb-export"),
            {QStringLiteral("-Q"), QStringLiteral("-d"), QStringLiteral("\t"), file, table});
    p.waitForFinished();
    QList<QVariantMap> rows;
    const QList<QByteArray> lines = p.readAllStandardOutput().split('\n');
    const QList<QByteArray> header = lines.value(0).split('\t');
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (lines.at(i).isEmpty())
            continue;
        const QList<QByteArray> values = lines.at(i).split('\t');
        QVariantMap row;
        for (qsizetype c = 0; c < header.size(); ++c)
            row.insert(QString::fromUtf8(header.at(c)), QString::fromUtf8(values.value(c)));
        rows << row;
    }
    return rows;
}

// Selects the row whose first cell reads `text`, by arrow keys.
void arrowTo(QTableWidget *table, const QString &text)
{
    table->setFocus();
    for (int i = 0; i <= table->rowCount() && table->currentItem(); ++i) {
        if (table->item(table->currentRow(), 0)->text() == text)
            return;
        QTest::keyClick(table, Qt::Key_Down);
    }
    FAIL() << "no row " << text.toStdString();
}

TEST(AccessImportCommand, AnyTableByKeyboardWithKnownEmployeesLeftOut)
{
    TempCaseDb db;
    SKIP_WITHOUT_BACKEND(db);
    SKIP_WITHOUT_SAMPLES("fixedTextTestV2000.mdb");
    if (const QString why = AccessSamples::missingTools(); !why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    const std::shared_ptr<CaseDatabase> open = db.open();
    db.insert(QStringLiteral("Employee"), {{"Name", "Already here"}, {"File Number", "ADMIN"}});
    const QString file = AccessSamples::file("fixedTextTestV2000.mdb");
    const QList<QVariantMap> oracle = exported(file, QStringLiteral("users"));
    ASSERT_EQ(oracle.size(), 2);

    ScriptedDialogs dialogs;
    dialogs.queueOpenFileName(file);
    dialogs.queueDialog([](QDialog &d) {
        auto &dialog = dynamic_cast<AccessImportDialog &>(d);
        dialog.show();
        dialog.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
        // No case tables: nothing goes anywhere until the steward says.
        EXPECT_EQ(dialog.tables()->rowCount(), 1);
        EXPECT_EQ(dialog.tables()->item(0, 1)->text(), QStringLiteral("2"));
        EXPECT_FALSE(dialog.importButton()->isEnabled());
        dialog.target()->setFocus();
        QTest::keyClick(dialog.target(), Qt::Key_Down);
        EXPECT_EQ(dialog.target()->currentText(), QStringLiteral("Employee"));
        // No column has a field's name.
        for (int r = 0; r < dialog.columns()->rowCount(); ++r)
            EXPECT_EQ(dialog.columns()->item(r, 1)->text(), QStringLiteral("(left out)"));
        for (const auto &[column, field] :
             {std::pair{"c_user_login", "File Number"}, std::pair{"c_user_name", "Name"}}) {
            arrowTo(dialog.columns(), QString::fromLatin1(column));
            dialog.field()->setFocus();
            QTest::keyClick(dialog.field(), Qt::Key_Home);
            for (int i = dialog.field()->findText(QString::fromLatin1(field)); i > 0; --i)
                QTest::keyClick(dialog.field(), Qt::Key_Down);
            EXPECT_EQ(dialog.field()->currentText(), QString::fromLatin1(field));
        }
        // Import reads the file with the choices not read yet, then goes.
        // An access key clicks its button a moment later, as it shows the
        // press.
        QTest::keySequence(dialog.windowHandle(), QKeySequence(Qt::ALT | Qt::Key_I));
        for (QDeadlineTimer t(10000); dialog.isVisible() && !t.hasExpired();)
            QTest::qWait(10);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(dialog.summary()->text(),
                  QStringLiteral("2 employees and 0 complaints will be added. 1 of the "
                                 "employees have the file number of an employee already there."));
        EXPECT_EQ(dialog.rows()->rowCount(), 2);
        return d.result();
    });
    dialogs.queueAnswer(Dialogs::Answer::No); // leave the known one out

    int saved = 0, reloaded = 0;
    QString status;
    AccessImportCommand::Hooks hooks;
    hooks.saveEdited = [&] { return ++saved > 0; };
    hooks.reload = [&] { ++reloaded; };
    hooks.status = [&](const QString &t) { status = t; };
    AccessImportCommand(nullptr, open->backend(), hooks).run();

    ASSERT_EQ(dialogs.messages().size(), 2);
    EXPECT_TRUE(dialogs.messages()[0].prompt.startsWith(
        QStringLiteral("1 of the 2 incoming employees have the file number")));
    EXPECT_TRUE(dialogs.messages()[1].prompt.startsWith(status)) << status.toStdString();
    EXPECT_EQ(status, QStringLiteral("Added 1 employees and 0 complaints from "
                                     "\"fixedTextTestV2000.mdb\". Left out 1 employees whose "
                                     "file number was there already."));
    EXPECT_EQ(saved, 1);
    EXPECT_EQ(reloaded, 1);
    EXPECT_EQ(db.count(QStringLiteral("Employee")), 2);
    for (const QVariantMap &row : oracle) {
        const QString login = row.value(QStringLiteral("c_user_login")).toString();
        const bool known = login.compare(QStringLiteral("admin"), Qt::CaseInsensitive) == 0;
        EXPECT_EQ(db.count(QStringLiteral("Employee"),
                           QStringLiteral("\"Name\" = ? AND \"File Number\" = ?"),
                           {row.value(QStringLiteral("c_user_name")), login}),
                  known ? 0 : 1)
            << login.toStdString();
    }
}

} // namespace
