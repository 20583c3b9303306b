#include "app/StatusBar.h"

#include "platform/Twips.h"

#include <QDateTime>
#include <QLabel>
#include <QLocale>
#include <QTimer>

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
    m_change = new QLabel(this);
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
    // A long text (a long name, the privacy notice) is cut at the panel's
    // edge; pointing at the panel shows all of it.
    m_panels[0]->setToolTip(text);
}

QString StatusBar::changeText() const
{
    return m_change->text();
}

void StatusBar::setChangeText(const QString &text, const QString &why)
{
    m_change->setText(text);
    m_change->setToolTip(why.isEmpty() ? text : why);
    m_change->setVisible(!text.isEmpty());
}

void StatusBar::tick()
{
    const QDateTime now = QDateTime::currentDateTime();
    const QLocale locale;
    m_panels[1]->setText(locale.toString(now.date(), QLocale::ShortFormat));
    m_panels[2]->setText(locale.toString(now.time(), QLocale::ShortFormat));
}
