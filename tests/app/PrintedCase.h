#pragma once

#include "app/frmMain.h"
#include "support/CaseFixture.h"
#include "support/ScriptedDialogs.h"

#include <memory>

// The real main window, shown, over a fresh database holding one filled-in
// employee and complaint whose file number no other test's print-out
// carries, on the grievance page; dialogs are scripted.
struct PrintedCase {
    explicit PrintedCase(const char *tag,
                         const QString &caseFacts = QStringLiteral(
                             "Sent home early without notice.\r\nSecond paragraph."));

    // Print Setup, as the steward uses it: the printer (its name in the list)
    // and, when given, the paper (its name in the list).
    void chooseInPrintSetup(const QString &printer, const QString &paper = {});

    TempCaseDb db;
    QString number;
    ScriptedDialogs dialogs;
    std::unique_ptr<frmMain> window;
};
