#pragma once

#include "app/frmMain.h"
#include "caseform/NavigatorBar.h"
#include "caseform/RecordBinder.h"
#include "platform/TextBox.h"
#include "support/ScriptedDialogs.h"
#include "support/TempCaseDb.h"
#include "support/WindowControls.h"

#include <gtest/gtest.h>
#include <memory>

// The real main window, loaded over a fresh database and shown (offscreen),
// with scripted dialogs answering every message box.
class MainWindowTest : public ::testing::Test
{
  protected:
    void SetUp() override;
    void TearDown() override;
    // Loads and shows the window; fill the database first when needed.
    void start();

    TextBox *field(int i) { return windowField(*window, i); }
    RecordBinder *pane(int i) { return windowPane(*window, i); }
    // The pane's navigator bar, as the steward sees it.
    NavigatorBar *bar(int i)
    {
        return windowControl<NavigatorBar>(*window, QStringLiteral("Data1_%1").arg(i));
    }
    void typeInto(TextBox *box, const QString &text); // real key events
    void clickTab(int page);

    TempCaseDb db;
    ScriptedDialogs dialogs;
    std::unique_ptr<frmMain> window;
};
