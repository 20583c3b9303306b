#pragma once

#include "caseform/CaseForm.h"

#include <QMainWindow>
#include <memory>

class CaseDatabase;
class DefaultPrinterProvider;
class MainPrintHost;
class PrinterProvider;
class QAction;
class QGroupBox;
class QPushButton;
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
    void Form_Load(const QString &databasePath);

    CaseForm &form() { return m_form; }
    StatusBar *sbStatusBar() const { return m_statusBar; }
    std::shared_ptr<CaseDatabase> database() const { return m_db; }

    QPushButton *cmdAdd[2] = {};
    QPushButton *cmdDelete[2] = {};
    QPushButton *cmdRefresh[2] = {};
    QPushButton *cmdUpdate[2] = {};
    QPushButton *cmdGrid[2] = {};
    QPushButton *cmdReset = nullptr;
    QPushButton *cmdPrintBack = nullptr;
    QPushButton *cmdPrintGrievance = nullptr;
    QGroupBox *Frame1 = nullptr;
    class QLabel *Picture1 = nullptr;

    QAction *mnuFilePrint = nullptr;
    QAction *mnuPrintBack = nullptr;
    QAction *mnuFilePrintPreview = nullptr;
    QAction *mnuFileSavePdf = nullptr;
    QAction *mnuFilePrintSetup = nullptr;
    QAction *mnuFileExit = nullptr;
    QAction *mnuEditFind = nullptr;
    QAction *mnuHelpAbout = nullptr;

    void mnuFileExit_Click();
    void mnuHelpAbout_Click();
    void mnuEditFind_Click();
    void mnuFilePrint_Click();
    void cmdPrintGrievance_Click();
    void mnuPrintBack_Click();
    void cmdPrintBack_Click();
    void mnuFilePrintPreview_Click();
    void mnuFileSavePdf_Click();
    void mnuFilePrintSetup_Click();

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
    void buildPages();
    void buildMenus();
    void wireHandlers();
    void applyTabOrder();
    void centre();
    bool Form_Unload();

    CaseForm m_form;
    StatusBar *m_statusBar = nullptr;
    std::shared_ptr<CaseDatabase> m_db;
    bool m_centredOnShow = false;
    bool m_unloaded = false;
    QList<QPair<int, QWidget *>> m_tabOrder;
    std::unique_ptr<DefaultPrinterProvider> m_defaultPrinters;
    PrinterProvider *m_printers = nullptr;
    std::unique_ptr<MainPrintHost> m_printHost;
};
