#pragma once

#include "caseform/CaseForm.h"
#include "jetsql/DataError.h"

#include <QMainWindow>
#include <memory>

class CaseDatabase;
class CaseSession;
class CopyCommands;
class DialogPrompts;
class FindIndexProgress;
class PrintCommands;
class PrinterProvider;
class QAction;
class QGroupBox;
class QLabel;
class QPushButton;
class SafekeepingCommands;
class StatusBar;

// The main window: two tab pages editing the employee and the grievance
// through their record panes, the menus and the status bar.
class frmMain : public QMainWindow
{
    Q_OBJECT
  public:
    explicit frmMain(QWidget *parent = nullptr);
    ~frmMain() override;

    // Loads the window without showing it: centres it and opens both
    // record panes on the case database at databasePath.
    // mayCreate false: a database file that is not there is reported, not made.
    void Form_Load(const QString &databasePath, bool mayCreate = true);

    // The case database the window works on, its backups and what its back
    // end can do; the commands work through it.
    CaseSession &session() const { return *m_session; }

    // The printer the print commands use: the system's default printer,
    // or another one (tests) that the window does not own.
    void setPrinterProvider(PrinterProvider *printers);

    // The placement written when the window closes, in twips.
    struct Placement {
        double left, top, width, height;
    };
    Placement placementTwips() const;

  protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool focusNextPrevChild(bool next) override;

  private Q_SLOTS:
    void mnuFileExit_Click();
    void mnuHelpAbout_Click();
    void mnuEditFind_Click();
    void mnuEditTimeLimits_Click();
    void mnuEditDeadlines_Click();
    void mnuEditSteps_Click();
    void mnuFileImportAccess_Click();
    void mnuFileChooseDatabase_Click();

  private:
    // The two tab pages, one builder each (frmMainPages.cpp).
    void buildPages();
    void buildPane(CaseFields::Pane page);
    void buildBoundBoxes();
    void buildRecordCommands(CaseFields::Pane page);
    void buildEmployeePage(QWidget *page);
    void buildGrievancePage(QWidget *page);
    // Places a control on its tab page at a position in twips measured from
    // the tab control's top, and puts it in the tab order.
    void place(QWidget *w, int left, int top, int width, int height) const;
    void order(int tabIndex, QWidget *w) { m_tabOrder.append({tabIndex, w}); }

    void buildMenus();
    void wireHandlers();
    void applyTabOrder();
    void centre();
    bool Form_Unload();
    // The session's signals: the status line, the other windows closed
    // before the records are replaced, the notices and the find index of
    // another database.
    void connectSession();
    // What is said once a database is opened: `notice` unless the file is
    // readable by others, or what falls due.
    void tellOpened(const QString &notice);
    // Closes every window but this one (the grid windows).
    void closeOtherWindows();
    // Builds the find index of a file from before Find while the window is
    // shown, its progress on the status bar.
    void startFindIndex();

    // The controls are found by their object names (the classic control
    // names, an array element with _ and its index: cmdAdd_0).
    QPushButton *cmdAdd[CaseFields::PaneCount] = {};
    QPushButton *cmdDelete[CaseFields::PaneCount] = {};
    QPushButton *cmdRefresh[CaseFields::PaneCount] = {};
    QPushButton *cmdUpdate[CaseFields::PaneCount] = {};
    QPushButton *cmdGrid[CaseFields::PaneCount] = {};
    QPushButton *cmdReset = nullptr;
    QPushButton *cmdPrintBack = nullptr;
    QPushButton *cmdPrintGrievance = nullptr;
    QGroupBox *Frame1 = nullptr;
    QLabel *Picture1 = nullptr;

    QAction *mnuFilePrint = nullptr;
    QAction *mnuPrintBack = nullptr;
    QAction *mnuFilePrintPreview = nullptr;
    QAction *mnuFileSavePdf = nullptr;
    QAction *mnuFilePrintSetup = nullptr;
    QAction *mnuFileBackUpNow = nullptr;
    QAction *mnuFileServerBackups = nullptr;
    QAction *mnuFileRestore = nullptr;
    QAction *mnuFileExport = nullptr;
    QAction *mnuFileImport = nullptr;
    QAction *mnuFileImportAccess = nullptr;
    QAction *mnuFileChooseDatabase = nullptr;
    QAction *mnuFileExit = nullptr;
    QAction *mnuEditFind = nullptr;
    QAction *mnuEditTimeLimits = nullptr;
    QAction *mnuEditDeadlines = nullptr;
    QAction *mnuEditSteps = nullptr;
    QAction *mnuHelpAbout = nullptr;

    CaseForm m_form;
    int m_tabsTwips = 0; // the height of the row of tabs above the pages
    StatusBar *m_statusBar = nullptr;
    std::unique_ptr<DialogPrompts> m_prompts;
    std::unique_ptr<CaseSession> m_session;
    bool m_reopening = false; // the session opens the same database anew
    QString m_openingNotice;  // said once the database is attached
    bool m_centredOnShow = false;
    bool m_unloaded = false;
    QList<QPair<int, QWidget *>> m_tabOrder;
    std::unique_ptr<PrintCommands> m_print;
    std::unique_ptr<SafekeepingCommands> m_safekeeping;
    std::unique_ptr<CopyCommands> m_copyCommands;
    std::unique_ptr<FindIndexProgress> m_findIndex;
};
