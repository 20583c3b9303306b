#include "app/frmMain.h"

#include "app/MainLayout.h"
#include "app/MainPrintHost.h"
#include "app/PrintPreviewDialog.h"
#include "app/PrintSetupDialog.h"
#include "app/StatusBar.h"
#include "app/frmAbout.h"
#include "browser/GridHandlers.h"
#include "find/FileNumberChecks.h"
#include "find/FindHandlers.h"
#include "platform/AppIcon.h"
#include "platform/core/AppInfo.h"
#include "platform/Dialogs.h"
#include "platform/Forms.h"
#include "platform/core/PrivateFiles.h"
#include "platform/TextBox.h"
#include "platform/Twips.h"
#include "print/DefaultPrinterProvider.h"
#include "print/FormLogo.h"
#include "records/CaseDatabase.h"
#include "caseform/CaseHandlers.h"
#include "records/CaseSchema.h"
#include "caseform/RecordPane.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTabBar>
#include <QTabWidget>
#include <QWindow>

using namespace MainLayout;

namespace
{

QString sharedDatabaseNotice(const QString &path)
{
    return QStringLiteral("Other users on this computer can read %1. To make it private, run: "
                          "chmod 600 \"%2\"")
        .arg(QFileInfo(path).fileName(), QFileInfo(path).absoluteFilePath());
}

} // namespace

frmMain::frmMain(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Quillmark Wizard"));
    setWindowIcon(AppIcon::icon());
    setAttribute(Qt::WA_DeleteOnClose, false);
    Forms::add(this);

    auto *central = new QWidget(this);
    setCentralWidget(central);
    central->setFixedSize(Twips::toPixels(ClientWidth),
                          Twips::toPixels(ClientHeight - StatusBarHeight));
    m_form.SSTab2 = new QTabWidget(central);
    m_form.SSTab2->setObjectName(QStringLiteral("SSTab2"));
    m_form.SSTab2->setGeometry(Twips::rect(TabLeft, TabTop, TabWidth, TabHeight));
    m_form.SSTab2->addTab(new QWidget, QStringLiteral("Employee Information"));
    m_form.SSTab2->addTab(new QWidget, QStringLiteral("Grievance Information"));

    m_statusBar = new StatusBar(this);
    // The classic height fitted the classic dialog font; the panels' frames
    // and a line of today's font may need a few pixels more.
    m_statusBar->setFixedHeight(
        std::max(Twips::toPixels(StatusBarHeight), m_statusBar->sizeHint().height()));
    setStatusBar(m_statusBar);
    m_form.setStatusText = [this](const QString &t) { m_statusBar->setPanelText(t); };
    m_form.statusText = [this] { return m_statusBar->panelText(1); };

    buildPages();
    m_defaultPrinters = std::make_unique<DefaultPrinterProvider>();
    m_printers = m_defaultPrinters.get();
    m_printHost = std::make_unique<MainPrintHost>(m_form, formLogo(), m_statusBar);
    buildMenus();
    wireHandlers();
    applyTabOrder();
    m_form.SSTab2->setCurrentIndex(0);
}

frmMain::~frmMain() = default;

void frmMain::buildPages()
{
    QWidget *pages[2] = {m_form.SSTab2->widget(0), m_form.SSTab2->widget(1)};
    // Positions are measured from the tab control's top; the pages begin
    // below the row of tabs.
    const int tabsTwips = int(Twips::fromPixels(m_form.SSTab2->tabBar()->sizeHint().height() + 2));
    auto place = [&](QWidget *w, int left, int top, int width, int height) {
        w->setGeometry(Twips::rect(left, std::max(0, top - tabsTwips), width, height));
    };
    auto order = [&](int tabIndex, QWidget *w) { m_tabOrder.append({tabIndex, w}); };

    for (int page = 0; page < 2; ++page) {
        auto *pane = new RecordPane(page, pages[page]);
        pane->setObjectName(QStringLiteral("Data1_%1").arg(page));
        const Rect r = page == 0 ? Data1Employee : Data1Grievance;
        place(pane, r.left, r.top, r.width, r.height);
        pane->setRecordSource(QString::fromLatin1(page == 0 ? CaseSchema::EmployeeTable
                                                            : CaseSchema::ComplaintsTable));
        m_form.Data1[page] = pane;
    }

    // The bound boxes and their labels. The three case facts pieces lie
    // under the editor, which is created after them and so covers them.
    for (int i = 0; i < CaseForm::FieldCount; ++i) {
        const CaseSchema::BoundField &bf = CaseSchema::boundField(i);
        QWidget *page = pages[bf.pane];
        auto *label = new QLabel(QString::fromUtf8(bf.caption), page);
        place(label, bf.left, bf.top - LabelAbove, bf.labelWidth, LabelHeight);
        auto *box = new TextBox(page);
        box->setObjectName(QStringLiteral("txtFields_%1").arg(i));
        box->setMaxLength(bf.maxLength);
        box->editor()->setAccessibleName(QString::fromUtf8(bf.caption));
        label->setBuddy(box->editor());
        place(box, bf.left, bf.top, bf.width, BoxHeight);
        if (!bf.shown && i >= 11 && i <= 12) {
            label->hide();
            box->hide();
        }
        m_form.txtFields[i] = box;
        m_form.lblLabels[i] = label;
        m_form.Data1[bf.pane]->bind(box, QString::fromUtf8(bf.field));
        order(bf.tabIndex, box);
    }

    // Record command buttons of both pages.
    for (int page = 0; page < 2; ++page) {
        QPushButton **arrays[5] = {cmdAdd, cmdDelete, cmdRefresh, cmdUpdate, cmdGrid};
        const char *names[5] = {"cmdAdd", "cmdDelete", "cmdRefresh", "cmdUpdate", "cmdGrid"};
        for (int k = 0; k < 5; ++k) {
            auto *b = new QPushButton(QString::fromLatin1(CommandCaption[k]), pages[page]);
            b->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(names[k])).arg(page));
            place(b, CommandLeft[page][k], CommandTop[page], CommandWidth, CommandHeight);
            arrays[k][page] = b;
            order(CommandTab[page][k], b);
        }
    }

    // Employee page: the lookup, Reset, the back side frame and the logo.
    auto *label1 =
        new QLabel(QStringLiteral("Type File # here to see if employee is already in the "
                                  "database. Use all 6 digits including leading zeros."),
                   pages[0]);
    label1->setWordWrap(true);
    label1->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    place(label1, Label1.left, Label1.top, Label1.width, Label1.height);
    m_form.txtFileNumber = new TextBox(pages[0]);
    m_form.txtFileNumber->setObjectName(QStringLiteral("txtFileNumber"));
    m_form.txtFileNumber->editor()->setAccessibleName(QStringLiteral("File number lookup"));
    label1->setBuddy(m_form.txtFileNumber->editor());
    place(m_form.txtFileNumber, MainLayout::txtFileNumber.left, MainLayout::txtFileNumber.top,
          MainLayout::txtFileNumber.width, MainLayout::txtFileNumber.height);
    order(txtFileNumberTab, m_form.txtFileNumber);
    cmdReset = new QPushButton(QStringLiteral("Reset Data Control"), pages[0]);
    cmdReset->setObjectName(QStringLiteral("cmdReset"));
    place(cmdReset, MainLayout::cmdReset.left, MainLayout::cmdReset.top, MainLayout::cmdReset.width,
          MainLayout::cmdReset.height);
    order(cmdResetTab, cmdReset);

    Frame1 = new QGroupBox(QStringLiteral("Print the Back (supervisor side) of the Grievance Form"),
                           pages[0]);
    place(Frame1, MainLayout::Frame1.left, MainLayout::Frame1.top, MainLayout::Frame1.width,
          MainLayout::Frame1.height);
    auto inFrame = [](QWidget *w, const Rect &r) {
        w->setGeometry(Twips::rect(r.left, r.top, r.width, r.height));
    };
    auto *label3 = new QLabel(QStringLiteral("Copies"), Frame1);
    inFrame(label3, Label3);
    m_form.txtBackCopies = new TextBox(Frame1);
    m_form.txtBackCopies->setObjectName(QStringLiteral("txtBackCopies"));
    m_form.txtBackCopies->setText(QStringLiteral("1"));
    m_form.txtBackCopies->editor()->setAccessibleName(QStringLiteral("Copies of the back side"));
    label3->setBuddy(m_form.txtBackCopies->editor());
    inFrame(m_form.txtBackCopies, MainLayout::txtBackCopies);
    order(txtBackCopiesTab, m_form.txtBackCopies);
    cmdPrintBack = new QPushButton(QStringLiteral("&Print the Back of the Grievance Form"), Frame1);
    cmdPrintBack->setObjectName(QStringLiteral("cmdPrintBack"));
    inFrame(cmdPrintBack, MainLayout::cmdPrintBack);
    order(cmdPrintBackTab, cmdPrintBack);

    Picture1 = new QLabel(pages[0]);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    place(Picture1, MainLayout::Picture1.left, MainLayout::Picture1.top, MainLayout::Picture1.width,
          MainLayout::Picture1.height);
    Picture1->setPixmap(QPixmap::fromImage(formLogo()));
    Picture1->setScaledContents(true);
    Picture1->hide();

    // Grievance page: the case facts editor over its pieces, the copies and
    // the print button.
    m_form.txtCaseFacts = new TextBox(pages[1], true);
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
    m_form.lblLabels[15]->setBuddy(m_form.txtCaseFacts->editor());
    m_form.lblLabels[15]->raise();
    for (int i = 13; i <= 15; ++i)
        m_form.txtFields[i]->setFocusPolicy(Qt::NoFocus),
            m_form.txtFields[i]->editor()->setFocusPolicy(Qt::NoFocus);
    order(txtCaseFactsTab, m_form.txtCaseFacts);
    auto *label2 = new QLabel(QStringLiteral("Copies:"), pages[1]);
    place(label2, Label2.left, Label2.top, Label2.width, Label2.height);
    m_form.txtCopies = new TextBox(pages[1]);
    m_form.txtCopies->setObjectName(QStringLiteral("txtCopies"));
    m_form.txtCopies->setText(QStringLiteral("2"));
    m_form.txtCopies->editor()->setAccessibleName(QStringLiteral("Copies of the grievance side"));
    label2->setBuddy(m_form.txtCopies->editor());
    place(m_form.txtCopies, MainLayout::txtCopies.left, MainLayout::txtCopies.top,
          MainLayout::txtCopies.width, MainLayout::txtCopies.height);
    order(txtCopiesTab, m_form.txtCopies);
    cmdPrintGrievance = new QPushButton(QStringLiteral("&Print Grievance"), pages[1]);
    cmdPrintGrievance->setObjectName(QStringLiteral("cmdPrintGrievance"));
    place(cmdPrintGrievance, MainLayout::cmdPrintGrievance.left, MainLayout::cmdPrintGrievance.top,
          MainLayout::cmdPrintGrievance.width, MainLayout::cmdPrintGrievance.height);
    order(cmdPrintGrievanceTab, cmdPrintGrievance);
}

void frmMain::applyTabOrder()
{
    std::stable_sort(m_tabOrder.begin(), m_tabOrder.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    // A text box goes into the chain whole, the box with its editor: ordering
    // the editors alone left each box behind at the place it was created,
    // where Tab still stopped and then ran on in a loop past the rest.
    QWidget *previous = nullptr;
    for (const auto &entry : std::as_const(m_tabOrder)) {
        QWidget *w = entry.second;
        if (previous)
            QWidget::setTabOrder(previous, w);
        previous = w;
    }
}

// Tab and Shift+Tab walk the tab control's bar, then the controls in their
// tab index order, passing over those on the page not shown, hidden or
// covered ones and those that take no focus. Qt's own focus chain keeps
// parts of a multi-line box (its viewport) where the box was created, and
// Shift+Tab stopped there; the walk follows the window's own list instead.
bool frmMain::focusNextPrevChild(bool next)
{
    QList<QWidget *> stops{m_form.SSTab2->tabBar()};
    for (const auto &entry : std::as_const(m_tabOrder))
        stops << entry.second;
    const QWidget *focus = QApplication::focusWidget();
    qsizetype at = -1;
    for (qsizetype i = 0; focus && i < stops.size() && at < 0; ++i)
        if (stops.at(i) == focus || stops.at(i)->isAncestorOf(focus))
            at = i;
    if (at < 0)
        return QMainWindow::focusNextPrevChild(next);
    const qsizetype n = stops.size();
    for (qsizetype step = 1; step < n; ++step) {
        QWidget *w = stops.at((at + (next ? step : n - step)) % n);
        const QWidget *taker = w->focusProxy() ? w->focusProxy() : w;
        if (w->isVisibleTo(this) && w->isEnabled() && (taker->focusPolicy() & Qt::TabFocus)) {
            w->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return true;
        }
    }
    return true;
}

void frmMain::buildMenus()
{
    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    mnuFilePrint = file->addAction(QStringLiteral("&Print Grievance Side"));
    mnuFilePrint->setObjectName(QStringLiteral("mnuFilePrint"));
    mnuFilePrint->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    connect(mnuFilePrint, &QAction::triggered, this, &frmMain::mnuFilePrint_Click);
    mnuPrintBack = file->addAction(QStringLiteral("Print &Back Side"));
    mnuPrintBack->setObjectName(QStringLiteral("mnuPrintBack"));
    mnuPrintBack->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
    connect(mnuPrintBack, &QAction::triggered, this, &frmMain::mnuPrintBack_Click);
    mnuFilePrintPreview = file->addAction(QStringLiteral("Print Preview..."));
    mnuFilePrintPreview->setObjectName(QStringLiteral("mnuFilePrintPreview"));
    connect(mnuFilePrintPreview, &QAction::triggered, this, &frmMain::mnuFilePrintPreview_Click);
    mnuFileSavePdf = file->addAction(QStringLiteral("Save Form as PDF..."));
    mnuFileSavePdf->setObjectName(QStringLiteral("mnuFileSavePdf"));
    connect(mnuFileSavePdf, &QAction::triggered, this, &frmMain::mnuFileSavePdf_Click);
    mnuFilePrintSetup = file->addAction(QStringLiteral("Print Setup..."));
    mnuFilePrintSetup->setObjectName(QStringLiteral("mnuFilePrintSetup"));
    connect(mnuFilePrintSetup, &QAction::triggered, this, &frmMain::mnuFilePrintSetup_Click);
    mnuFileExit = file->addAction(QStringLiteral("E&xit"));
    mnuFileExit->setObjectName(QStringLiteral("mnuFileExit"));
    connect(mnuFileExit, &QAction::triggered, this, &frmMain::mnuFileExit_Click);
    QMenu *edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    edit->setObjectName(QStringLiteral("mnuEdit"));
    mnuEditFind = edit->addAction(QStringLiteral("&Find..."));
    mnuEditFind->setObjectName(QStringLiteral("mnuEditFind"));
    mnuEditFind->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    connect(mnuEditFind, &QAction::triggered, this, &frmMain::mnuEditFind_Click);
    QMenu *help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    mnuHelpAbout = help->addAction(QStringLiteral("&About Quillmark_Wizard..."));
    mnuHelpAbout->setObjectName(QStringLiteral("mnuHelpAbout"));
    connect(mnuHelpAbout, &QAction::triggered, this, &frmMain::mnuHelpAbout_Click);
}

void frmMain::wireHandlers()
{
    CaseForm &f = m_form;
    for (int page = 0; page < 2; ++page) {
        connect(cmdAdd[page], &QPushButton::clicked, this,
                [&f, page] { CaseHandlers::cmdAdd_Click(f, page); });
        connect(cmdDelete[page], &QPushButton::clicked, this, [&f, page] {
            if (page == 0)
                FileNumberChecks::cmdDelete_Click(f, [&f] { CaseHandlers::cmdDelete_Click(f, 0); });
            else
                CaseHandlers::cmdDelete_Click(f, page);
        });
        connect(cmdRefresh[page], &QPushButton::clicked, this,
                [&f, page] { CaseHandlers::cmdRefresh_Click(f, page); });
        connect(cmdUpdate[page], &QPushButton::clicked, this,
                [&f, page] { CaseHandlers::cmdUpdate_Click(f, page); });
        connect(cmdGrid[page], &QPushButton::clicked, this, [this, &f, page] {
            GridHandlers::cmdGrid_Click(f.Data1[page]->recordset(), windowTitle(), this);
        });
        RecordPane *pane = f.Data1[page];
        pane->onError = [&f](int i, int err, const QString &text, int &response) {
            CaseHandlers::Data1_Error(f, i, err, text, response);
        };
        pane->onReposition = [&f](int i) { CaseHandlers::Data1_Reposition(f, i); };
        pane->onValidate = [&f](int i, int action, bool &save) {
            CaseHandlers::Data1_Validate(f, i, action, save);
        };
        pane->onMouseDown = [&f](int i) { CaseHandlers::Data1_MouseDown(f, i); };
    }
    connect(cmdPrintGrievance, &QPushButton::clicked, this, &frmMain::cmdPrintGrievance_Click);
    connect(cmdPrintBack, &QPushButton::clicked, this, &frmMain::cmdPrintBack_Click);
    connect(cmdReset, &QPushButton::clicked, this, [&f] { CaseHandlers::cmdReset_Click(f); });
    for (int i = 0; i < CaseForm::FieldCount; ++i)
        connect(f.txtFields[i], &TextBox::changed, this,
                [&f, i] { CaseHandlers::txtFields_Change(f, i); });
    connect(f.txtCaseFacts, &TextBox::changed, this,
            [&f] { CaseHandlers::txtCaseFacts_Change(f); });
    connect(f.txtFileNumber, &TextBox::keyUp, this, [&f](int key, Qt::KeyboardModifiers mods) {
        CaseHandlers::txtFileNumber_KeyUp(f, key, mods);
    });
    FileNumberChecks::watch(f);
    int previous = 0;
    connect(f.SSTab2, &QTabWidget::currentChanged, this, [&f, previous](int) mutable {
        const int was = previous;
        previous = f.SSTab2->currentIndex();
        CaseHandlers::SSTab2_Click(f, was);
    });
}

void frmMain::Form_Load(const QString &databasePath)
{
    centre();
    m_db = std::make_shared<CaseDatabase>(databasePath);
    std::optional<DataError> failure;
    try {
        m_db->open();
    } catch (const DataError &e) {
        failure = e;
    }
    for (RecordPane *pane : m_form.Data1) {
        pane->setDatabase(m_db);
        pane->open(failure ? &*failure : nullptr);
    }
    // A file others can read is the steward's to change, not the program's:
    // it is opened as it is, and said so once.
    if (m_db->isOpen() && PrivateFiles::readableByOthers(m_db->path()))
        m_statusBar->setPanelText(sharedDatabaseNotice(m_db->path()));
}

void frmMain::centre()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    ensurePolished();
    adjustSize();
    const QRect frame = frameGeometry();
    const QSize outer = frame.size().isValid() ? frame.size() : size();
    const QRect s = screen->geometry();
    // Floating-point halves, as the placement is kept in twips.
    const double topTwips =
        (Twips::fromPixels(s.height()) - Twips::fromPixels(outer.height())) / 2.0;
    const double leftTwips =
        (Twips::fromPixels(s.width()) - Twips::fromPixels(outer.width())) / 2.0;
    move(s.left() + Twips::toPixels(leftTwips), s.top() + Twips::toPixels(topTwips));
}

void frmMain::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!m_centredOnShow) {
        m_centredOnShow = true;
        // The frame's size is known only once the window system has it.
        centre();
        m_form.txtFields[0]->setFocus(Qt::OtherFocusReason);
    }
}

frmMain::Placement frmMain::placementTwips() const
{
    const QRect g = frameGeometry();
    return {Twips::fromPixels(g.x()), Twips::fromPixels(g.y()), Twips::fromPixels(g.width()),
            Twips::fromPixels(g.height())};
}

bool frmMain::Form_Unload()
{
    // An edited record is saved before anything closes; when the database
    // refuses it, the steward decides whether the typed values may be lost.
    for (RecordPane *pane : m_form.Data1) {
        if (!pane->close()) {
            const auto answer = Dialogs::instance().message(
                QStringLiteral("The record you changed could not be saved. Close anyway and lose "
                               "the changes?"),
                Dialogs::Buttons::YesNo, Dialogs::Icon::Exclamation);
            if (answer != Dialogs::Answer::Yes)
                return false;
        }
    }
    const QList<QWidget *> loaded = Forms::loaded();
    for (qsizetype i = loaded.size() - 1; i >= 1; --i) {
        if (loaded.at(i) != this)
            loaded.at(i)->close();
    }
    if (isMinimized())
        return true;
    const Placement p = placementTwips();
    QSettings settings(AppInfo::title(), AppInfo::title());
    settings.beginGroup(QStringLiteral("Settings"));
    auto text = [](double v) { return QString::number(float(v), 'g', 7); };
    settings.setValue(QStringLiteral("MainLeft"), text(p.left));
    settings.setValue(QStringLiteral("MainTop"), text(p.top));
    settings.setValue(QStringLiteral("MainWidth"), text(p.width));
    settings.setValue(QStringLiteral("MainHeight"), text(p.height));
    settings.endGroup();
    settings.sync();
    return true;
}

void frmMain::closeEvent(QCloseEvent *event)
{
    if (m_unloaded) {
        event->accept();
        return;
    }
    if (!Form_Unload()) {
        event->ignore();
        return;
    }
    m_unloaded = true;
    event->accept();
}

void frmMain::mnuFileExit_Click()
{
    if (!close())
        return;
    QCoreApplication::quit();
}

void frmMain::setPrinterProvider(PrinterProvider *printers)
{
    m_printers = printers ? printers : m_defaultPrinters.get();
}

void frmMain::mnuFilePrint_Click()
{
    runFrontSideJob(*m_printHost, *m_printers);
}

void frmMain::cmdPrintGrievance_Click()
{
    mnuFilePrint_Click();
}

void frmMain::mnuPrintBack_Click()
{
    cmdPrintBack_Click();
}

void frmMain::cmdPrintBack_Click()
{
    runBackSideJob(*m_printHost, *m_printers);
}

void frmMain::mnuFilePrintPreview_Click()
{
    // Printing from the preview prints both sides, as their two commands do.
    showPrintPreview(
        *m_printHost, m_defaultPrinters->pageLayout(),
        [this] {
            if (runFrontSideJob(*m_printHost, *m_printers))
                runBackSideJob(*m_printHost, *m_printers);
        },
        this);
}

void frmMain::mnuFileSavePdf_Click()
{
    runSaveFormJob(*m_printHost,
                   DefaultPrinterProvider::filePageLayout(m_defaultPrinters->choice().paper));
}

void frmMain::mnuFilePrintSetup_Click()
{
    PrintSetupDialog dialog(m_defaultPrinters->choice(), this);
    if (Dialogs::instance().exec(dialog) == QDialog::Accepted)
        m_defaultPrinters->setChoice(dialog.choice());
}

void frmMain::mnuHelpAbout_Click()
{
    showAboutBox(this);
}

void frmMain::mnuEditFind_Click()
{
    FindHandlers::mnuEditFind_Click(m_form, m_db, this);
}
