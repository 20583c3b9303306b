#include "app/frmSplash.h"

#include "platform/AppIcon.h"
#include "platform/Twips.h"
#include "platform/core/AppInfo.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QSysInfo>
#include <algorithm>

namespace
{

struct LabelSpec {
    int left, top, width, height;
    double points;
    bool rightAligned;
};

constexpr int ClientWidth = 8460, ClientHeight = 2970;
constexpr int LogoPixels = 94;
// The least room between a label and the frame's edge (the credit line's).
constexpr int FrameMargin = 120;
constexpr LabelSpec ProductName{2670, 1200, 5385, 765, 32.25, false};
constexpr LabelSpec Platform{2760, 2040, 3840, 360, 15.75, true};
constexpr LabelSpec Version{2760, 2400, 1560, 285, 12, true};
constexpr LabelSpec CompanyProduct{2760, 765, 2970, 435, 18, false};
constexpr LabelSpec Credit{120, 2520, 2400, 285, 8, false};

QLabel *makeLabel(QWidget *parent, const LabelSpec &s)
{
    auto *l = new QLabel(parent);
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(s.points);
    font.setBold(true);
    l->setFont(font);
    l->setGeometry(Twips::rect(s.left, s.top, s.width, s.height));
    l->setAlignment((s.rightAligned ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    return l;
}

// Grows a label to its text, keeping its right edge when right-aligned, but
// never past the frame: a long text (the platform's name) moves inwards.
void sizeToText(QLabel *l, bool rightAligned)
{
    const QRect g = l->geometry();
    const int margin = Twips::toPixels(FrameMargin);
    const int room = l->parentWidget()->width() - 2 * margin;
    const int w = std::min(l->sizeHint().width(), room);
    const int x =
        std::clamp(rightAligned ? g.right() - w + 1 : g.left(), margin, margin + room - w);
    l->setGeometry(x, g.top(), w, std::max(g.height(), l->sizeHint().height()));
}

} // namespace

frmSplash::frmSplash(QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("frmSplash"));
    setWindowTitle(AppInfo::title());
    setWindowIcon(AppIcon::icon());
    setFixedSize(Twips::toPixels(ClientWidth), Twips::toPixels(ClientHeight));
    auto *frame = new QFrame(this);
    frame->setFrameShape(QFrame::Box);
    frame->setGeometry(Twips::rect(60, 60, ClientWidth - 120, ClientHeight - 120));
    auto *logo = new QLabel(frame);
    // The application's icon, drawn for the screen's pixel density.
    logo->setPixmap(AppIcon::icon().pixmap(QSize(LogoPixels, LogoPixels), devicePixelRatio()));
    logo->setAlignment(Qt::AlignCenter);
    logo->setGeometry(Twips::rect(240, 600, 1455, 1425));
    lblProductName = makeLabel(frame, ProductName);
    lblPlatform = makeLabel(frame, Platform);
    lblVersion = makeLabel(frame, Version);
    lblCompanyProduct = makeLabel(frame, CompanyProduct);
    lblCompanyProduct->setText(QStringLiteral("Quillmark Software"));
    sizeToText(lblCompanyProduct, false);
    lblCredit = makeLabel(frame, Credit);
    lblCredit->setText(QStringLiteral("Written for the union's stewards"));
    sizeToText(lblCredit, false);
    // The platform the program runs on, not the one it was first written for.
    lblPlatform->setText(QStringLiteral("Platform:  ") + QSysInfo::prettyProductName());
    sizeToText(lblPlatform, true);
    if (const QScreen *s = QGuiApplication::primaryScreen())
        move(s->geometry().center() - rect().center());
}

void frmSplash::Form_Load()
{
    lblVersion->setText(AppInfo::versionText());
    sizeToText(lblVersion, true);
    lblProductName->setText(AppInfo::title());
    sizeToText(lblProductName, false);
}
