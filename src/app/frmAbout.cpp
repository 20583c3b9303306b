#include "app/frmAbout.h"

#include "app/AboutForm.h"
#include "app/AboutLogo.h"
#include "platform/Twips.h"
#include "platform/core/AppInfo.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <algorithm>
#include <map>

frmAbout::frmAbout(QWidget *owner, const SysInfoServices &services)
    : QDialog(owner), m_services(services)
{
    setWindowTitle(AboutForm::caption);
    setWindowIcon(AboutLogo::windowIcon());
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    const QRect client = Twips::rect(0, 0, AboutForm::clientWidth, AboutForm::clientHeight);
    setFixedSize(client.size());
    buildControls();
    Form_Load();
}

void frmAbout::buildControls()
{
    std::map<int, QWidget *> byTabIndex;
    for (const AboutForm::Control &c : AboutForm::controls) {
        QWidget *w = nullptr;
        const QString name = QString::fromLatin1(c.name);
        switch (c.kind) {
        case AboutForm::Kind::Picture: {
            auto *pic = new QLabel(this);
            pic->setAlignment(Qt::AlignCenter);
            pic->setPixmap(
                AboutLogo::picture(AboutForm::logoPixels, palette().color(QPalette::Window)));
            m_picLogo = pic;
            w = pic;
            break;
        }
        case AboutForm::Kind::Label: {
            auto *label = new QLabel(this);
            label->setWordWrap(true);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            w = label;
            if (name == QLatin1String("lblTitle"))
                m_lblTitle = label;
            else if (name == QLatin1String("lblVersion"))
                m_lblVersion = label;
            else if (name == QLatin1String("lblDescription"))
                m_lblDescription = label;
            else
                m_lblDisclaimer = label;
            break;
        }
        case AboutForm::Kind::Button: {
            auto *button = new QPushButton(this);
            w = button;
            if (name == QLatin1String("cmdOK"))
                m_cmdOK = button;
            else
                m_cmdSysInfo = button;
            break;
        }
        }
        w->setObjectName(name);
        w->setGeometry(Twips::rect(c.left, c.top, c.width, c.height));
        byTabIndex[c.tabIndex] = w;
    }

    QWidget *previous = nullptr;
    for (const auto &[index, w] : byTabIndex) {
        if (previous)
            setTabOrder(previous, w);
        previous = w;
    }

    QFont titleFont = m_lblTitle->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.6);
    titleFont.setBold(true);
    m_lblTitle->setFont(titleFont);
    m_lblDescription->setText(AboutForm::description);
    m_lblDisclaimer->setText(AboutForm::disclaimer);

    m_cmdOK->setText(AboutForm::okText);
    m_cmdSysInfo->setText(AboutForm::sysInfoText);
    m_cmdOK->setDefault(true);
    connect(m_cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    connect(m_cmdSysInfo, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);
    m_cmdOK->setFocus();
}

void frmAbout::Form_Load()
{
    m_lblVersion->setText(AppInfo::versionText());
    m_lblTitle->setText(AppInfo::title());
}

void frmAbout::cmdOK_Click()
{
    accept();
}

void frmAbout::cmdSysInfo_Click()
{
    StartSysInfo(m_services);
}

void frmAbout::paintEvent(QPaintEvent *event)
{
    QDialog::paintEvent(event);
    QPainter p(this);
    for (const AboutForm::Line &line : AboutForm::lines) {
        const QRect from = Twips::rect(line.x1, line.y1, 0, 0);
        const QRect to = Twips::rect(line.x2, line.y2, 0, 0);
        // The line's pixels start at its coordinate and grow right and down,
        // so the two lines of the separator sit on adjacent rows.
        p.fillRect(QRect(from.topLeft(), QPoint(to.x(), to.y() + line.widthPixels - 1)),
                   QColor::fromRgb(line.colour));
    }
}

void frmAbout::keyPressEvent(QKeyEvent *event)
{
    // Esc presses OK, the cancel button, rather than just rejecting.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        m_cmdOK->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void showAboutBox(QWidget *owner)
{
    frmAbout box(owner);
    box.exec();
}
