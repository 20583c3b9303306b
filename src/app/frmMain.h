#pragma once

#include "caseform/CaseForm.h"
#include "jetsql/DataError.h"

#include <QMainWindow>
#include <memory>

class CaseDatabase;
class CopyCommands;
class DefaultPrinterProvider;
class FindIndexProgress;
class MainPrintHost;
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

    CaseForm &form() { return m_form; }
    StatusBar *sbStatusBar() const { return m_statusBar; }
    std::shared_ptr<CaseDatabase> database() const { return m_db; }

    void mnuFileExit_Click();
    void mnuHelpAbout_Click();
    void mnuEditFind_Click();
    void mnuEditTimeLimits_Click();
    void mnuEditDeadlines_Click();
    void mnuEditSteps_Click();
    void mnuFilePrint_Click();
    void cmdPrintGrievance_Click();
    void mnuPrintBack_Click();
    void cmdPrintBack_Click();
    void mnuFilePrintPreview_Click();
    void mnuFileSavePdf_Click();
    void mnuFilePrintSetup_Click();
    void mnuFileBackUpNow_Click();
    void mnuFileRestore_Click();
    void mnuFileExport_Click();
    void mnuFileImport_Click();
    void mnuFileImportAccess_Click();
    void mnuFileChooseDatabase_Click();

    // The backups and the copies of the case records; null until loaded.
    SafekeepingCommands *safekeeping() const { return m_safekeeping.get(); }
    // Saves what the steward changed on either page. False when a save was
    // refused (the steward was told; the boxes keep what was typed).
    bool saveEditedRecords();
    // Closes every window but this one (the grid windows).
    void closeOtherWindows();
    // Opens the case database anew and shows both panes' records: its
    // records were replaced or added to by another connection.
    void reloadDatabase();
    // Works on `db` (opened) from now on, as Form_Load does: the grid
    // windows close, the panes show its records, the file-only commands
    // follow it. Save the edited records first.
    void useDatabase(std::shared_ptr<CaseDatabase> db);

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
    // Opens the panes on m_db (`failure`: why it did not open) and sets the
    // commands that work on a file only.
    void attachDatabase(const DataError *failure, const QString &notice);
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
    std::shared_ptr<CaseDatabase> m_db;
    bool m_centredOnShow = false;
    bool m_unloaded = false;
    QList<QPair<int, QWidget *>> m_tabOrder;
    std::unique_ptr<DefaultPrinterProvider> m_defaultPrinters;
    PrinterProvider *m_printers = nullptr;
    std::unique_ptr<MainPrintHost> m_printHost;
    std::unique_ptr<SafekeepingCommands> m_safekeeping;
    std::unique_ptr<CopyCommands> m_copyCommands;
    std::unique_ptr<FindIndexProgress> m_findIndex;
};
