// The main window's two tab pages, built from the layout tables: the record
// panes, the bound boxes, the record commands, and what each page alone has.
#include "app/MainLayout.h"
#include "app/frmMain.h"
#include "caseform/CaseHandlers.h"
#include "caseform/NavigatorBar.h"
#include "caseform/RecordBinder.h"
#include "caseform/TextBoxBinding.h"
#include "platform/TextBox.h"
#include "platform/Twips.h"
#include "print/FormLogo.h"
#include "records/CaseSchema.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>

using namespace MainLayout;

namespace
{
// Where a control inside a frame stands: measured from the frame's corner.
void placeInFrame(QWidget *w, const Rect &r)
{
    w->setGeometry(Twips::rect(r.left, r.top, r.width, r.height));
}

struct RecordCommand {
    QPushButton *(&buttons)[CaseFields::PaneCount];
    const char *name;
};
} // namespace

void frmMain::place(QWidget *w, int left, int top, int width, int height) const
{
    w->setGeometry(Twips::rect(left, std::max(0, top - m_tabsTwips), width, height));
}

void frmMain::buildPages()
{
    // Positions are measured from the tab control's top; the pages begin
    // below the row of tabs.
    m_tabsTwips = int(Twips::fromPixels(m_form.SSTab2->tabBar()->sizeHint().height() + 2));
    for (const CaseFields::Pane page : {CaseFields::EmployeePane, CaseFields::GrievancePane})
        buildPane(page);
    buildBoundBoxes();
    for (const CaseFields::Pane page : {CaseFields::EmployeePane, CaseFields::GrievancePane})
        buildRecordCommands(page);
    buildEmployeePage(m_form.SSTab2->widget(CaseFields::EmployeePane));
    buildGrievancePage(m_form.SSTab2->widget(CaseFields::GrievancePane));
}

// The record pane Data1(page): its binder belongs to the window, its
// navigator bar to the page.
void frmMain::buildPane(CaseFields::Pane page)
{
    auto *binder = new RecordBinder(page, this);
    binder->setObjectName(QStringLiteral("Data1_%1").arg(int(page)));
    binder->setRecordSource(QString::fromLatin1(CaseSchema::tableOf(page)));
    auto *bar = new NavigatorBar(*binder, m_form.SSTab2->widget(page));
    bar->setObjectName(binder->objectName());
    const Rect r = page == CaseFields::EmployeePane ? Data1Employee : Data1Grievance;
    place(bar, r.left, r.top, r.width, r.height);
    m_form.Data1[page] = binder;
}

// The bound boxes and their labels. The three case facts pieces lie under
// the editor, which is created after them and so covers them.
void frmMain::buildBoundBoxes()
{
    for (const FieldBox &bb : FieldBoxes) {
        const CaseFields::Pane pane = CaseFields::paneOf(bb.field);
        QWidget *page = m_form.SSTab2->widget(pane);
        auto *label = new QLabel(QString::fromUtf8(bb.caption), page);
        label->setObjectName(QStringLiteral("lblLabels_%1").arg(int(bb.field)));
        place(label, bb.left, bb.top - LabelAbove, bb.labelWidth, LabelHeight);
        auto *box = new TextBox(page);
        box->setObjectName(QStringLiteral("txtFields_%1").arg(int(bb.field)));
        box->setMaxLength(CaseSchema::fieldLength(bb.field));
        box->editor()->setAccessibleName(QString::fromUtf8(bb.caption));
        label->setBuddy(box->editor());
        place(box, bb.left, bb.top, bb.width, BoxHeight);
        if (bb.hidden) {
            label->hide();
            box->hide();
        }
        m_form.txtFields[bb.field] = box;
        m_form.lblLabels[bb.field] = label;
        m_form.Data1[pane]->bind(TextBoxBinding::of(box),
                                 QString::fromUtf8(CaseSchema::fieldName(bb.field)));
        order(bb.tabIndex, box);
    }
}

void frmMain::buildRecordCommands(CaseFields::Pane page)
{
    const RecordCommand commands[] = {{cmdAdd, "cmdAdd"},
                                      {cmdDelete, "cmdDelete"},
                                      {cmdRefresh, "cmdRefresh"},
                                      {cmdUpdate, "cmdUpdate"},
                                      {cmdGrid, "cmdGrid"}};
    for (int k = 0; k < int(std::size(commands)); ++k) {
        auto *b =
            new QPushButton(QString::fromLatin1(CommandCaption[k]), m_form.SSTab2->widget(page));
        b->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(commands[k].name)).arg(page));
        place(b, CommandLeft[page][k], CommandTop[page], CommandWidth, CommandHeight);
        commands[k].buttons[page] = b;
        order(CommandTab[page][k], b);
    }
}

// The lookup, Reset, the frame that prints the back side, and the logo.
void frmMain::buildEmployeePage(QWidget *page)
{
    auto *label1 =
        new QLabel(QStringLiteral("Type File # here to see if employee is already in the "
                                  "database. Use all 6 digits including leading zeros."),
                   page);
    label1->setWordWrap(true);
    label1->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    place(label1, Label1.left, Label1.top, Label1.width, Label1.height);
    m_form.txtFileNumber = new TextBox(page);
    m_form.txtFileNumber->setObjectName(QStringLiteral("txtFileNumber"));
    m_form.txtFileNumber->editor()->setAccessibleName(QStringLiteral("File number lookup"));
    label1->setBuddy(m_form.txtFileNumber->editor());
    place(m_form.txtFileNumber, MainLayout::txtFileNumber.left, MainLayout::txtFileNumber.top,
          MainLayout::txtFileNumber.width, MainLayout::txtFileNumber.height);
    order(txtFileNumberTab, m_form.txtFileNumber);
    cmdReset = new QPushButton(QStringLiteral("Reset Data Control"), page);
    cmdReset->setObjectName(QStringLiteral("cmdReset"));
    place(cmdReset, MainLayout::cmdReset.left, MainLayout::cmdReset.top, MainLayout::cmdReset.width,
          MainLayout::cmdReset.height);
    order(cmdResetTab, cmdReset);

    Frame1 = new QGroupBox(QStringLiteral("Print the Back (supervisor side) of the Grievance Form"),
                           page);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    place(Frame1, MainLayout::Frame1.left, MainLayout::Frame1.top, MainLayout::Frame1.width,
          MainLayout::Frame1.height);
    auto *label3 = new QLabel(QStringLiteral("Copies"), Frame1);
    placeInFrame(label3, Label3);
    m_form.txtBackCopies = new TextBox(Frame1);
    m_form.txtBackCopies->setObjectName(QStringLiteral("txtBackCopies"));
    m_form.txtBackCopies->setText(QStringLiteral("1"));
    m_form.txtBackCopies->editor()->setAccessibleName(QStringLiteral("Copies of the back side"));
    label3->setBuddy(m_form.txtBackCopies->editor());
    placeInFrame(m_form.txtBackCopies, MainLayout::txtBackCopies);
    order(txtBackCopiesTab, m_form.txtBackCopies);
    cmdPrintBack = new QPushButton(QStringLiteral("&Print the Back of the Grievance Form"), Frame1);
    cmdPrintBack->setObjectName(QStringLiteral("cmdPrintBack"));
    placeInFrame(cmdPrintBack, MainLayout::cmdPrintBack);
    order(cmdPrintBackTab, cmdPrintBack);

    Picture1 = new QLabel(page);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    place(Picture1, MainLayout::Picture1.left, MainLayout::Picture1.top, MainLayout::Picture1.width,
          MainLayout::Picture1.height);
    Picture1->setPixmap(QPixmap::fromImage(formLogo()));
    Picture1->setScaledContents(true);
    Picture1->hide();
}

// The case facts editor over its pieces, the copies and the print button.
void frmMain::buildGrievancePage(QWidget *page)
{
    m_form.txtCaseFacts = new TextBox(page, true);
    m_form.txtCaseFacts->setObjectName(QStringLiteral("txtCaseFacts"));
    m_form.txtCaseFacts->setMaxLength(txtCaseFactsMax);
    m_form.txtCaseFacts->setStoredLength(CaseHandlers::caseFactsLength);
    m_form.txtCaseFacts->editor()->setAccessibleName(QStringLiteral("Case Facts:"));
    place(m_form.txtCaseFacts, MainLayout::txtCaseFacts.left, MainLayout::txtCaseFacts.top,
          MainLayout::txtCaseFacts.width, MainLayout::txtCaseFacts.height);
    m_form.txtCaseFacts->raise();
    // Covers the pieces whole: at a pixel ratio above 1 the style's rounded
    // frame leaves corner pixels unpainted, where the pieces would show.
    m_form.txtCaseFacts->setAutoFillBackground(true);
    m_form.lblLabels[CaseFields::CaseFacts1]->setBuddy(m_form.txtCaseFacts->editor());
    m_form.lblLabels[CaseFields::CaseFacts1]->raise();
    for (const CaseFields::Field piece :
         {CaseFields::CaseFacts1, CaseFields::CaseFacts2, CaseFields::CaseFacts3}) {
        m_form.txtFields[piece]->setFocusPolicy(Qt::NoFocus);
        m_form.txtFields[piece]->editor()->setFocusPolicy(Qt::NoFocus);
    }
    order(txtCaseFactsTab, m_form.txtCaseFacts);
    auto *label2 = new QLabel(QStringLiteral("Copies:"), page);
    place(label2, Label2.left, Label2.top, Label2.width, Label2.height);
    m_form.txtCopies = new TextBox(page);
    m_form.txtCopies->setObjectName(QStringLiteral("txtCopies"));
    m_form.txtCopies->setText(QStringLiteral("2"));
    m_form.txtCopies->editor()->setAccessibleName(QStringLiteral("Copies of the grievance side"));
    label2->setBuddy(m_form.txtCopies->editor());
    place(m_form.txtCopies, MainLayout::txtCopies.left, MainLayout::txtCopies.top,
          MainLayout::txtCopies.width, MainLayout::txtCopies.height);
    order(txtCopiesTab, m_form.txtCopies);
    cmdPrintGrievance = new QPushButton(QStringLiteral("&Print Grievance"), page);
    cmdPrintGrievance->setObjectName(QStringLiteral("cmdPrintGrievance"));
    place(cmdPrintGrievance, MainLayout::cmdPrintGrievance.left, MainLayout::cmdPrintGrievance.top,
          MainLayout::cmdPrintGrievance.width, MainLayout::cmdPrintGrievance.height);
    order(cmdPrintGrievanceTab, cmdPrintGrievance);
}
