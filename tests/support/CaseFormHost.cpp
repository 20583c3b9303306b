#include "support/CaseFormHost.h"

#include "caseform/CaseHandlers.h"
#include "caseform/NavigatorBar.h"
#include "caseform/RecordBinder.h"
#include "caseform/TextBoxBinding.h"
#include "platform/TextBox.h"
#include "records/CaseSchema.h"

#include <QLabel>
#include <QTabWidget>

CaseFormHost::CaseFormHost()
{
    window.setWindowTitle(QStringLiteral("Quillmark Wizard"));
    auto *tabs = new QTabWidget(&window);
    tabs->addTab(new QWidget, QStringLiteral("Employee Information"));
    tabs->addTab(new QWidget, QStringLiteral("Grievance Information"));
    form.SSTab2 = tabs;
    form.setStatusText = [this](const QString &text) { statusLines << text; };
    form.statusText = [this] { return status(); };

    for (int page = 0; page < CaseFields::PaneCount; ++page) {
        auto *binder = new RecordBinder(page, &window);
        binder->setObjectName(QStringLiteral("Data1_%1").arg(page));
        binder->setRecordSource(QString::fromLatin1(CaseSchema::tableOf(CaseFields::Pane(page))));
        form.Data1[page] = binder;
        bars[page] = new NavigatorBar(*binder, tabs->widget(page));
        bars[page]->setObjectName(binder->objectName());
    }
    for (int i = 0; i < CaseFields::BoundFieldCount; ++i) {
        const auto field = CaseFields::Field(i);
        QWidget *page = tabs->widget(CaseFields::paneOf(field));
        const QString name = QString::fromUtf8(CaseSchema::fieldName(field));
        auto *box = new TextBox(page);
        box->setObjectName(QStringLiteral("txtFields_%1").arg(i));
        box->setMaxLength(CaseSchema::fieldLength(field));
        form.txtFields[i] = box;
        form.lblLabels[i] = new QLabel(name, page);
        form.lblLabels[i]->setObjectName(QStringLiteral("lblLabels_%1").arg(i));
        form.Data1[CaseFields::paneOf(field)]->bind(TextBoxBinding::of(box), name);
    }
    QWidget *employees = tabs->widget(CaseFields::EmployeePane);
    QWidget *grievances = tabs->widget(CaseFields::GrievancePane);
    form.txtFileNumber = new TextBox(employees);
    form.txtFileNumber->setObjectName(QStringLiteral("txtFileNumber"));
    form.txtBackCopies = new TextBox(employees);
    form.txtBackCopies->setObjectName(QStringLiteral("txtBackCopies"));
    form.txtBackCopies->setText(QStringLiteral("1"));
    // The editor over the three stored pieces of the case facts.
    form.txtCaseFacts = new TextBox(grievances, true);
    form.txtCaseFacts->setObjectName(QStringLiteral("txtCaseFacts"));
    form.txtCaseFacts->setMaxLength(3 * CaseSchema::fieldLength(CaseFields::CaseFacts1));
    form.txtCaseFacts->setStoredLength(CaseHandlers::caseFactsLength);
    form.txtCopies = new TextBox(grievances);
    form.txtCopies->setObjectName(QStringLiteral("txtCopies"));
    form.txtCopies->setText(QStringLiteral("2"));

    // The handlers the window connects to the panes and the boxes.
    CaseForm &f = form;
    for (RecordBinder *pane : form.Data1) {
        pane->onError = [&f](int i, int err, const QString &text, int &response) {
            CaseHandlers::Data1_Error(f, i, err, text, response);
        };
        pane->onReposition = [&f](int i) { CaseHandlers::Data1_Reposition(f, i); };
        pane->onValidate = [&f](int i, int action, bool &save) {
            CaseHandlers::Data1_Validate(f, i, action, save);
        };
        pane->onMouseDown = [&f](int i) { CaseHandlers::Data1_MouseDown(f, i); };
    }
    for (int i = 0; i < CaseFields::BoundFieldCount; ++i)
        QObject::connect(form.txtFields[i], &TextBox::changed, &window,
                         [&f, i] { CaseHandlers::txtFields_Change(f, i); });
    QObject::connect(form.txtCaseFacts, &TextBox::changed, &window,
                     [&f] { CaseHandlers::txtCaseFacts_Change(f); });
    QObject::connect(form.txtFileNumber, &TextBox::keyUp, &window,
                     [&f](int key, Qt::KeyboardModifiers mods) {
                         CaseHandlers::txtFileNumber_KeyUp(f, key, mods);
                     });
    int previous = 0;
    QObject::connect(tabs, &QTabWidget::currentChanged, &window, [&f, previous](int) mutable {
        const int was = previous;
        previous = f.SSTab2->currentIndex();
        CaseHandlers::SSTab2_Click(f, was);
    });
}

CaseFormHost::~CaseFormHost() = default;

void CaseFormHost::showPage(int page)
{
    form.SSTab2->setCurrentIndex(page);
}
