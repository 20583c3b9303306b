#include "PrintedCase.h"

#include "commands/PrintSetupDialog.h"
#include "platform/TextBox.h"
#include "records/CaseSchema.h"
#include "support/WindowControls.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QTabWidget>

PrintedCase::PrintedCase(const char *tag, const QString &caseFacts)
    : number(QStringLiteral("%1%2x%3")
                 .arg(QLatin1String(tag))
                 .arg(QCoreApplication::applicationPid())
                 .arg(QDateTime::currentMSecsSinceEpoch() % 1000000))
{
    QVariantMap employee, complaint;
    for (int i = 0; i < CaseFields::BoundFieldCount; ++i) {
        const auto f = CaseFields::Field(i);
        if (f == CaseFields::GrievanceNumber || f == CaseFields::CaseFacts3 ||
            f == CaseFields::CaseFacts2 || f == CaseFields::CaseFacts1)
            continue;
        (CaseFields::paneOf(f) == CaseFields::EmployeePane ? employee : complaint)
            .insert(QString::fromUtf8(CaseSchema::fieldName(f)), QStringLiteral("F%1").arg(i));
    }
    employee.insert(QStringLiteral("Name"), QStringLiteral("Pat Doe"));
    employee.insert(QStringLiteral("File Number"), number);
    complaint.insert(QStringLiteral("File Number"), number);
    // The stored pieces hold 255 characters each.
    for (int piece = 0; piece < 3; ++piece)
        complaint.insert(QStringLiteral("Case Facts%1").arg(piece + 1),
                         caseFacts.mid(piece * 255, 255));
    db.insert(QStringLiteral("Employee"), employee);
    db.insert(QStringLiteral("Complaints"), complaint);

    window = std::make_unique<frmMain>();
    window->Form_Load(db.path());
    window->show();
    window->form().SSTab2->setCurrentIndex(1);
    window->form().txtCopies->setText(QStringLiteral("1"));
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
