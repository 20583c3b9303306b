#pragma once

#include "app/frmMain.h"
#include "support/ScriptedDialogs.h"
#include "platform/TextBox.h"
#include "records/CaseDatabase.h"
#include "caseform/RecordPane.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QVariantMap>
#include <gtest/gtest.h>
#include <memory>

// A fresh temporary case database per test, with helpers to fill and read
// it through a separate connection (so the program's own connection is not
// what checks its work).
class TempCaseDb
{
public:
    TempCaseDb();
    ~TempCaseDb();
    QString path() const { return m_dir.path() + QStringLiteral("/Quillmark.db"); }
    // Opens the schema through the program's own code.
    std::shared_ptr<CaseDatabase> open();

    qint64 insert(const QString &table, const QVariantMap &values);
    int count(const QString &table, const QString &where = {}, const QVariantList &params = {});
    QVariantMap row(const QString &table, const QString &where, const QVariantList &params = {});
    QSqlQuery query(const QString &sql, const QVariantList &params = {});

private:
    QTemporaryDir m_dir;
    QString m_checker;
};

// The real main window, loaded over a fresh database and shown (offscreen),
// with scripted dialogs answering every message box.
class MainWindowTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;
    // Loads and shows the window; fill the database first when needed.
    void start();

    TextBox *field(int i) { return window->form().txtFields[i]; }
    RecordPane *pane(int i) { return window->form().Data1[i]; }
    void typeInto(TextBox *box, const QString &text); // real key events
    void clickTab(int page);

    TempCaseDb db;
    ScriptedDialogs dialogs;
    std::unique_ptr<frmMain> window;
};
