#pragma once

#include <QStatusBar>

class QLabel;
class QTimer;

// The main window's status bar: a text panel the program writes, then the
// date and the time, which the bar keeps current itself.
class StatusBar : public QStatusBar
{
    Q_OBJECT
  public:
    explicit StatusBar(QWidget *parent = nullptr);

    QString panelText(int panel) const;     // 1, 2 or 3
    void setPanelText(const QString &text); // panel 1, also its tooltip

  private:
    void tick();

    QLabel *m_panels[3] = {};
    QTimer *m_clock = nullptr;
};
