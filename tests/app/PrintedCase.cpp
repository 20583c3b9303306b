#include "PrintedCase.h"

#include "commands/PrintSetupDialog.h"
#include "commands/PrintedCaseRecords.h"
#include "platform/TextBox.h"
#include "support/WindowControls.h"

#include <QAction>
#include <QComboBox>
#include <QTabWidget>

PrintedCase::PrintedCase(const char *tag, const QString &caseFacts)
    : number(insertPrintedCase(db, tag, caseFacts))
{
    window = std::make_unique<frmMain>();
    window->Form_Load(db.path());
    window->show();
    windowTabs(*window)->setCurrentIndex(1);
    windowBox(*window, "txtCopies")->setText(QStringLiteral("1"));
}

void PrintedCase::chooseInPrintSetup(const QString &printer, const QString &paper)
{
    dialogs.queueDialog([&](QDialog &dialog) {
        auto &setup = dynamic_cast<PrintSetupDialog &>(dialog);
        setup.printerBox()->setCurrentIndex(setup.printerBox()->findData(printer));
        if (!paper.isEmpty())
            setup.paperBox()->setCurrentIndex(setup.paperBox()->findText(paper));
        return int(QDialog::Accepted);
    });
    windowAction(*window, "mnuFilePrintSetup")->trigger();
}
