#pragma once

#include <QStatusBar>

class QLabel;
class QTimer;

// The main window's status bar: a text panel the program writes, a panel
// saying who last changed the record shown (and when another steward
// changes it), then the date and the time, which the bar keeps current
// itself.
class StatusBar : public QStatusBar
{
    Q_OBJECT
  public:
    explicit StatusBar(QWidget *parent = nullptr);

    QString panelText(int panel) const;     // 1, 2 or 3 (the date, the time)
    void setPanelText(const QString &text); // panel 1, also its tooltip
    // Who last changed the record shown; `why` is the tooltip (the text
    // itself when empty).
    QString changeText() const;
    void setChangeText(const QString &text, const QString &why = {});

  protected:
    void resizeEvent(QResizeEvent *event) override;

  private:
    class ChangePanel;
    void tick();
    void fitChange();

    QLabel *m_panels[3] = {};
    ChangePanel *m_change = nullptr;
    QTimer *m_clock = nullptr;
};
