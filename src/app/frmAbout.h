#pragma once

#include "app/sysinfo/SysInfo.h"

#include <QDialog>

class QLabel;
class QPushButton;

// The About box: title, version, what the program is for, a warning, and
// buttons to close it or start the system-information program.
class frmAbout : public QDialog
{
    Q_OBJECT
  public:
    explicit frmAbout(QWidget *owner = nullptr,
                      const SysInfoServices &services = SysInfoServices::system());

    QLabel *picLogo() const { return m_picLogo; }
    QLabel *lblTitle() const { return m_lblTitle; }
    QLabel *lblVersion() const { return m_lblVersion; }
    QLabel *lblDescription() const { return m_lblDescription; }
    QLabel *lblDisclaimer() const { return m_lblDisclaimer; }
    QPushButton *cmdOK() const { return m_cmdOK; }
    QPushButton *cmdSysInfo() const { return m_cmdSysInfo; }

    void cmdOK_Click();
    void cmdSysInfo_Click();

  protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

  private:
    void buildControls();
    void Form_Load();

    SysInfoServices m_services;
    QLabel *m_picLogo = nullptr;
    QLabel *m_lblTitle = nullptr;
    QLabel *m_lblVersion = nullptr;
    QLabel *m_lblDescription = nullptr;
    QLabel *m_lblDisclaimer = nullptr;
    QPushButton *m_cmdOK = nullptr;
    QPushButton *m_cmdSysInfo = nullptr;
};

// Shows the About box modally over `owner` and returns when it is closed.
void showAboutBox(QWidget *owner);
