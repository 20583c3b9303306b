#include "app/StatusBar.h"

#include "platform/Twips.h"

#include <QDateTime>
#include <QLabel>
#include <QLayout>
#include <QLocale>
#include <QResizeEvent>
#include <QTimer>

#include <algorithm>

// The last-change panel: its whole text in the tooltip, and as much of it
// as the room panel 1 leaves, cut with an ellipsis. Panel 1 comes first:
// the bar gives this one only what panel 1's text does not need.
class StatusBar::ChangePanel : public QLabel
{
  public:
    using QLabel::QLabel;
    void setWhole(const QString &text)
    {
        m_whole = text;
        fit();
    }
    const QString &whole() const { return m_whole; }
    QSize minimumSizeHint() const override { return {0, QLabel::minimumSizeHint().height()}; }
    QSize sizeHint() const override
    {
        return {fontMetrics().horizontalAdvance(m_whole) + 2 * frameWidth() + 4,
                QLabel::sizeHint().height()};
    }
    void fit()
    {
        const int room = std::max(0, contentsRect().width());
        QString shown = fontMetrics().elidedText(m_whole, Qt::ElideRight, room);
        // No room for a word: nothing rather than a lone ellipsis.
        if (shown.size() <= 1 || fontMetrics().horizontalAdvance(shown) > room)
            shown.clear();
        if (shown != text())
            setText(shown);
    }

  protected:
    void resizeEvent(QResizeEvent *event) override
    {
        QLabel::resizeEvent(event);
        fit();
    }

  private:
    QString m_whole;
};

StatusBar::StatusBar(QWidget *parent) : QStatusBar(parent)
{
    setSizeGripEnabled(true);
    const int minimum = Twips::toPixels(1440);
    for (int i = 0; i < 3; ++i) {
        m_panels[i] = new QLabel(this);
        m_panels[i]->setFrameShape(QFrame::Panel);
        m_panels[i]->setFrameShadow(QFrame::Sunken);
        m_panels[i]->setMinimumWidth(minimum);
        m_panels[i]->setAccessibleName(QStringLiteral("Status panel %1").arg(i + 1));
    }
    addWidget(m_panels[0], 1);
    m_change = new ChangePanel(this);
    m_change->setFrameShape(QFrame::Panel);
    m_change->setFrameShadow(QFrame::Sunken);
    m_change->setAccessibleName(QStringLiteral("Last change"));
    m_change->setObjectName(QStringLiteral("lblLastChange"));
    m_change->hide(); // until there is something to say
    addPermanentWidget(m_change);
    addPermanentWidget(m_panels[1]);
    addPermanentWidget(m_panels[2]);
    m_panels[0]->setText(QStringLiteral("Status"));
    m_clock = new QTimer(this);
    m_clock->setInterval(1000);
    connect(m_clock, &QTimer::timeout, this, &StatusBar::tick);
    m_clock->start();
    tick();
}

QString StatusBar::panelText(int panel) const
{
    return m_panels[panel - 1]->text();
}

void StatusBar::setPanelText(const QString &text)
{
    m_panels[0]->setText(text);
    fitChange();
    // A long text (a long name, the privacy notice) is cut at the panel's
    // edge; pointing at the panel shows all of it.
    m_panels[0]->setToolTip(text);
}

QString StatusBar::changeText() const
{
    return m_change->whole();
}

void StatusBar::setChangeText(const QString &text, const QString &why)
{
    m_change->setWhole(text);
    m_change->setToolTip(why.isEmpty() ? text : why);
    m_change->setVisible(!text.isEmpty());
    fitChange();
}

void StatusBar::fitChange()
{
    // What panel 1's text needs, then the date and the time: the rest, if
    // any, is the last-change panel's.
    const QLabel *first = m_panels[0];
    int used =
        std::max(first->minimumWidth(), first->fontMetrics().horizontalAdvance(first->text()) +
                                            2 * first->frameWidth() + 4);
    for (int i = 1; i < 3; ++i)
        used += m_panels[i]->sizeHint().width();
    const int spacing = layout() ? layout()->spacing() : 0;
    used += 6 * std::max(spacing, 4) + (isSizeGripEnabled() ? 20 : 0);
    m_change->setMaximumWidth(std::max(0, width() - used));
    m_change->fit();
}

void StatusBar::resizeEvent(QResizeEvent *event)
{
    QStatusBar::resizeEvent(event);
    fitChange();
}

void StatusBar::tick()
{
    const QDateTime now = QDateTime::currentDateTime();
    const QLocale locale;
    m_panels[1]->setText(locale.toString(now.date(), QLocale::ShortFormat));
    m_panels[2]->setText(locale.toString(now.time(), QLocale::ShortFormat));
}
