#include "app/frmMain.h"

#include "app/MainLayout.h"
#include "app/StatusBar.h"
#include "app/frmAbout.h"
#include "browser/DataGrid.h"
#include "browser/GridHandlers.h"
#include "browser/GridTableModel.h"
#include "browser/frmDataGrid.h"
#include "caseform/CaseHandlers.h"
#include "caseform/RecordBinder.h"
#include "commands/AbilityActions.h"
#include "commands/AccessCommandTexts.h"
#include "commands/AccessImportCommand.h"
#include "commands/CopyCommands.h"
#include "commands/DamagedStart.h"
#include "commands/DatabaseChoice.h"
#include "commands/DialogPrompts.h"
#include "commands/PrintCommands.h"
#include "commands/SafekeepingCommands.h"
#include "deadlines/DeadlineCommands.h"
#include "deadlines/StepsWindow.h"
#include "deadlines/TimeLimitsWindow.h"
#include "find/FileNumberChecks.h"
#include "find/FindHandlers.h"
#include "find/FindIndexProgress.h"
#include "platform/AppIcon.h"
#include "platform/Dialogs.h"
#include "platform/Forms.h"
#include "platform/TextBox.h"
#include "platform/Twips.h"
#include "platform/core/PrivateFiles.h"
#include "platform/core/SettingsStore.h"
#include "print/FormLogo.h"
#include "records/CaseDatabase.h"
#include "records/CaseSchema.h"
#include "records/RecordSet.h"
#include "session/CaseSession.h"
#include "session/SafeCommandTexts.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QWindow>
#include <functional>
#include <utility>

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
    m_statusBar->setObjectName(QStringLiteral("sbStatusBar"));
    setStatusBar(m_statusBar);
    m_form.setStatusText = [this](const QString &t) { m_statusBar->setPanelText(t); };
    m_form.statusText = [this] { return m_statusBar->panelText(1); };

    buildPages();
    m_prompts = std::make_unique<DialogPrompts>(this);
    m_session = std::make_unique<CaseSession>(m_prompts.get());
    m_session->setPanes({std::begin(m_form.Data1), std::end(m_form.Data1)});
    m_safekeeping = std::make_unique<SafekeepingCommands>(*m_session, this);
    connectSession();
    m_print = std::make_unique<PrintCommands>(m_form, formLogo(), m_statusBar, this);
    buildMenus();
    wireHandlers();
    applyTabOrder();
    m_form.SSTab2->setCurrentIndex(0);
}

frmMain::~frmMain() = default;

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
// pieces of a multi-line box (its viewport) where the box was created, and
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
    connect(mnuFilePrint, &QAction::triggered, this, [this] { m_print->printFront(); });
    mnuPrintBack = file->addAction(QStringLiteral("Print &Back Side"));
    mnuPrintBack->setObjectName(QStringLiteral("mnuPrintBack"));
    mnuPrintBack->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
    connect(mnuPrintBack, &QAction::triggered, this, [this] { m_print->printBack(); });
    // Each item has an access key of its own; A is kept for a command to
    // come ("Import from &Access Database...").
    mnuFilePrintPreview = file->addAction(QStringLiteral("Print Pre&view..."));
    mnuFilePrintPreview->setObjectName(QStringLiteral("mnuFilePrintPreview"));
    connect(mnuFilePrintPreview, &QAction::triggered, this, [this] { m_print->preview(); });
    mnuFileSavePdf = file->addAction(QStringLiteral("&Save Form as PDF..."));
    mnuFileSavePdf->setObjectName(QStringLiteral("mnuFileSavePdf"));
    connect(mnuFileSavePdf, &QAction::triggered, this, [this] { m_print->savePdf(); });
    mnuFilePrintSetup = file->addAction(QStringLiteral("Print Set&up..."));
    mnuFilePrintSetup->setObjectName(QStringLiteral("mnuFilePrintSetup"));
    connect(mnuFilePrintSetup, &QAction::triggered, this, [this] { m_print->setup(); });
    const struct {
        QAction **action;
        const char *caption;
        const char *name;
        Ability ability;
        void (SafekeepingCommands::*command)();
    } safekeeping[] = {
        {&mnuFileBackUpNow, SafeCommandTexts::BackUpNowItem, "mnuFileBackUpNow", Ability::BackUpNow,
         &SafekeepingCommands::backUpNow},
        {&mnuFileRestore, SafeCommandTexts::RestoreItem, "mnuFileRestore", Ability::Restore,
         &SafekeepingCommands::restore},
        {&mnuFileExport, SafeCommandTexts::ExportItem, "mnuFileExport", Ability::Export,
         &SafekeepingCommands::exportRecords},
        {&mnuFileImport, SafeCommandTexts::ImportItem, "mnuFileImport", Ability::Import,
         &SafekeepingCommands::importRecords},
    };
    for (const auto &item : safekeeping) {
        *item.action = file->addAction(QString::fromUtf8(item.caption));
        (*item.action)->setObjectName(QString::fromLatin1(item.name));
        connect(*item.action, &QAction::triggered, this,
                [this, command = item.command] { (m_safekeeping.get()->*command)(); });
        AbilityActions::follow(*m_session, *item.action, item.ability);
    }
    mnuFileServerBackups =
        new QAction(QString::fromUtf8(SafeCommandTexts::ServerBackupsItem), file);
    mnuFileServerBackups->setObjectName(QStringLiteral("mnuFileServerBackups"));
    mnuFileServerBackups->setCheckable(true);
    mnuFileServerBackups->setChecked(CaseSession::automaticServerBackups());
    file->insertAction(mnuFileRestore, mnuFileServerBackups);
    connect(mnuFileServerBackups, &QAction::triggered, this,
            [this](bool on) { m_safekeeping->setServerBackups(on); });
    AbilityActions::follow(*m_session, mnuFileServerBackups, Ability::ServerBackups);
    mnuFileImportAccess = file->addAction(QString::fromUtf8(AccessCommandTexts::ImportAccessItem));
    mnuFileImportAccess->setObjectName(QStringLiteral("mnuFileImportAccess"));
    connect(mnuFileImportAccess, &QAction::triggered, this, &frmMain::mnuFileImportAccess_Click);
    AbilityActions::follow(*m_session, mnuFileImportAccess, Ability::AccessImport);
    mnuFileChooseDatabase = file->addAction(QStringLiteral("Choose &Database..."));
    mnuFileChooseDatabase->setObjectName(QStringLiteral("mnuFileChooseDatabase"));
    connect(mnuFileChooseDatabase, &QAction::triggered, this,
            &frmMain::mnuFileChooseDatabase_Click);
    m_copyCommands = std::make_unique<CopyCommands>(*m_session, this);
    m_copyCommands->addTo(file);
    mnuFileExit = file->addAction(QStringLiteral("E&xit"));
    mnuFileExit->setObjectName(QStringLiteral("mnuFileExit"));
    connect(mnuFileExit, &QAction::triggered, this, &frmMain::mnuFileExit_Click);
    QMenu *edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    edit->setObjectName(QStringLiteral("mnuEdit"));
    mnuEditFind = edit->addAction(QStringLiteral("&Find..."));
    mnuEditFind->setObjectName(QStringLiteral("mnuEditFind"));
    mnuEditFind->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    connect(mnuEditFind, &QAction::triggered, this, &frmMain::mnuEditFind_Click);
    AbilityActions::follow(*m_session, mnuEditFind, Ability::Find);
    // A grievance's time limits, its steps and the list of what falls due.
    mnuEditTimeLimits = edit->addAction(QStringLiteral("Time &Limits..."));
    mnuEditTimeLimits->setObjectName(QStringLiteral("mnuEditTimeLimits"));
    connect(mnuEditTimeLimits, &QAction::triggered, this, &frmMain::mnuEditTimeLimits_Click);
    mnuEditSteps = edit->addAction(QStringLiteral("&Steps and Deadlines..."));
    mnuEditSteps->setObjectName(QStringLiteral("mnuEditSteps"));
    connect(mnuEditSteps, &QAction::triggered, this, &frmMain::mnuEditSteps_Click);
    mnuEditDeadlines = edit->addAction(QStringLiteral("&Deadlines"));
    mnuEditDeadlines->setObjectName(QStringLiteral("mnuEditDeadlines"));
    // Reached from inside any box, where Ctrl+D would delete a character.
    mnuEditDeadlines->setShortcut(DeadlineCommands::deadlinesShortcut());
    mnuEditDeadlines->setShortcutContext(Qt::ApplicationShortcut);
    connect(mnuEditDeadlines, &QAction::triggered, this, &frmMain::mnuEditDeadlines_Click);
    QMenu *help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    mnuHelpAbout = help->addAction(QStringLiteral("&About Quillmark_Wizard..."));
    mnuHelpAbout->setObjectName(QStringLiteral("mnuHelpAbout"));
    connect(mnuHelpAbout, &QAction::triggered, this, &frmMain::mnuHelpAbout_Click);
}

void frmMain::wireHandlers()
{
    CaseForm &f = m_form;
    for (int page = 0; page < CaseFields::PaneCount; ++page) {
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
            frmDataGrid *grid =
                GridHandlers::cmdGrid_Click(f.Data1[page]->recordset(), windowTitle(), this);
            if (!grid || page != CaseFields::EmployeePane)
                return;
            // A file number changed in the grid is checked as the pane checks it.
            GridTableModel *rows = grid->grdDataGrid->gridModel();
            rows->beforeRowUpdate = std::bind_front(FileNumberChecks::beforeUpdate, std::ref(f));
            rows->rowSaved = std::bind_front(FileNumberChecks::afterSave, std::ref(f));
            rows->rowDeleted = std::bind_front(FileNumberChecks::afterDelete, std::ref(f));
        });
        RecordBinder *pane = f.Data1[page];
        pane->onError = [&f](int i, int err, const QString &text, int &response) {
            CaseHandlers::Data1_Error(f, i, err, text, response);
        };
        pane->onReposition = [&f](int i) { CaseHandlers::Data1_Reposition(f, i); };
        pane->onValidate = [&f](int i, int action, bool &save) {
            CaseHandlers::Data1_Validate(f, i, action, save);
        };
        pane->onMouseDown = [&f](int i) { CaseHandlers::Data1_MouseDown(f, i); };
    }
    connect(cmdPrintGrievance, &QPushButton::clicked, this, [this] { m_print->printFront(); });
    connect(cmdPrintBack, &QPushButton::clicked, this, [this] { m_print->printBack(); });
    connect(cmdReset, &QPushButton::clicked, this, [&f] { CaseHandlers::cmdReset_Click(f); });
    for (int i = 0; i < CaseFields::BoundFieldCount; ++i)
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

void frmMain::Form_Load(const QString &databasePath, bool mayCreate)
{
    centre();
    DamagedStart::Opened opened = DamagedStart::openAtStart(*m_session, databasePath, mayCreate);
    m_openingNotice = opened.notice;
    // The backup of the file as opened starts once the window shows: the
    // window is drawn first, and the copy runs beside the steward's work.
    m_session->attach(std::move(opened.db), opened.failure ? &*opened.failure : nullptr);
}

void frmMain::connectSession()
{
    CaseSession &session = *m_session;
    connect(&session, &CaseSession::status, this,
            [this](const QString &text) { m_statusBar->setPanelText(text); });
    connect(&session, &CaseSession::aboutToReplaceRecords, this, [this] {
        closeOtherWindows();
        m_findIndex.reset();
    });
    connect(&session, &CaseSession::aboutToReopen, this, [this] {
        m_findIndex.reset();
        m_reopening = true;
    });
    // Who changed the record shown, and what other stewards change
    // meanwhile: beside the program's own line, which stays as it is.
    connect(&session.changeNotices(), &ChangeNotices::lastChange, this, [this](const QString &t) {
        if (m_session->can(Ability::ChangeNotices) || !m_session->isOpen())
            m_statusBar->setChangeText(t);
        else
            m_statusBar->setChangeText(QStringLiteral("Changes not kept"),
                                       m_session->whyNot(Ability::ChangeNotices));
    });
    connect(&session.changeNotices(), &ChangeNotices::changedByOthers, this,
            [](const QString &table, const QList<qint64> &rows, bool many) {
                const QList<QWidget *> loaded = Forms::loaded();
                for (QWidget *w : loaded)
                    if (auto *grid = qobject_cast<frmDataGrid *>(w);
                        grid && grid->grdDataGrid && grid->grdDataGrid->gridModel())
                        grid->grdDataGrid->gridModel()->markChangedByOthers(table, rows, many);
            });
    connect(&session, &CaseSession::databaseChanged, this, [this] {
        if (!m_reopening)
            tellOpened(std::exchange(m_openingNotice, QString()));
        m_reopening = false;
        startFindIndex();
    });
    // The commands that need the page shown ask the session.
    connect(m_form.SSTab2, &QTabWidget::currentChanged, this,
            [this](int page) { m_session->setCurrentPage(page); });
}

void frmMain::tellOpened(const QString &notice)
{
    const std::shared_ptr<CaseDatabase> &db = m_session->database();
    // A file others can read is the steward's to change, not the program's:
    // it is opened as it is, and said so once.
    if (db->isOpen() && PrivateFiles::readableByOthers(db->filePath()))
        m_statusBar->setPanelText(sharedDatabaseNotice(db->filePath()));
    else if (!notice.isEmpty())
        m_statusBar->setPanelText(notice);
    // What falls due, said once when the records are read: a notice of its
    // own never hides one about the database itself.
    else if (db->isOpen())
        if (const QString due = DeadlineCommands::startupNotice(*db); !due.isEmpty())
            m_statusBar->setPanelText(due);
}

void frmMain::closeOtherWindows()
{
    const QList<QWidget *> loaded = Forms::loaded();
    for (qsizetype i = loaded.size() - 1; i >= 1; --i) {
        if (loaded.at(i) != this)
            loaded.at(i)->close();
    }
}

void frmMain::startFindIndex()
{
    m_findIndex.reset();
    if (m_session->database() && isVisible())
        m_findIndex = FindIndexProgress::startFor(*m_session->database(), m_statusBar);
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
        m_form.txtFields[CaseFields::Name]->setFocus(Qt::OtherFocusReason);
        m_session->startBackups();
        startFindIndex();
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
    for (RecordBinder *pane : m_form.Data1) {
        if (!pane->close()) {
            const auto answer = Dialogs::instance().message(
                QStringLiteral("The record you changed could not be saved. Close anyway and lose "
                               "the changes?"),
                Dialogs::Buttons::YesNo, Dialogs::Icon::Exclamation);
            if (answer != Dialogs::Answer::Yes)
                return false;
        }
    }
    closeOtherWindows();
    m_findIndex.reset(); // goes on from where it stopped at the next start
    // The records as the steward leaves them, kept before the program ends.
    m_session->backUpBeforeClosing();
    if (isMinimized())
        return true;
    const Placement p = placementTwips();
    QSettings settings = SettingsStore::open();
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
    m_print->setPrinterProvider(printers);
}

void frmMain::mnuFileImportAccess_Click()
{
    if (AbilityActions::mayRun(*m_session, Ability::AccessImport))
        AccessImportCommand(this, *m_session).run();
}

void frmMain::mnuFileChooseDatabase_Click()
{
    DatabaseChoice::choose(*m_session, this);
}

void frmMain::mnuHelpAbout_Click()
{
    showAboutBox(this);
}

void frmMain::mnuEditTimeLimits_Click()
{
    DeadlineCommands::openTimeLimits(m_session->database(), this);
}

void frmMain::mnuEditDeadlines_Click()
{
    DeadlinesWindow::Hooks hooks;
    hooks.saveFirst = [this] { return m_session->saveEditedRecords(); };
    hooks.printers = m_print->printers();
    hooks.pageLayout = [this] { return m_print->filePageLayout(); };
    hooks.status = [this](const QString &t) { m_statusBar->setPanelText(t); };
    DeadlinesWindow *list =
        DeadlineCommands::openDeadlines(m_session->database(), std::move(hooks), this);
    // One list at a time, tied to this window once.
    if (list && !list->property("quillmarkTied").toBool()) {
        list->setProperty("quillmarkTied", true);
        connect(list, &DeadlinesWindow::complaintChosen, this,
                [this](qint64 key, qint64 employeeKey, const QString &fileNumber) {
                    FindHandlers::showComplaint(m_form, key, employeeKey, fileNumber);
                });
    }
}

void frmMain::mnuEditSteps_Click()
{
    // The complaint on the grievance page, saved first as its navigator
    // would save it, and read back as the page now shows it.
    DeadlineCommands::openSteps(
        m_session->database(),
        [this]() -> std::optional<ComplaintFacts> {
            RecordBinder *complaints = m_form.Data1[1];
            if (complaints->isEdited() && !complaints->close())
                return std::nullopt;
            RecordSet *rs = complaints->rs();
            if (!rs || !rs->hasCurrent())
                return std::nullopt;
            const QVariant number = rs->value(rs->fieldIndex(QStringLiteral("Grievance Number")));
            if (number.isNull())
                return std::nullopt;
            try {
                return DeadlineStore::readFacts(*m_session->database(), number.toLongLong());
            } catch (const DataError &e) {
                m_statusBar->setPanelText(e.description());
                return std::nullopt;
            }
        },
        this);
}

void frmMain::mnuEditFind_Click()
{
    if (AbilityActions::mayRun(*m_session, Ability::Find))
        FindHandlers::mnuEditFind_Click(m_form, m_session->database(), this);
}
