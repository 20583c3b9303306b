#include "app/frmSplash.h"

#include "platform/AppInfo.h"
#include "platform/Twips.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QSysInfo>

namespace {

struct LabelSpec {
    int left, top, width, height;
    double points;
    bool rightAligned;
};

constexpr int ClientWidth = 8460, ClientHeight = 2970;
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

// Grows a label to its text, keeping its right edge when right-aligned.
void sizeToText(QLabel *l, bool rightAligned)
{
    const QRect g = l->geometry();
    const int w = l->sizeHint().width();
    l->setGeometry(rightAligned ? g.right() - w + 1 : g.left(), g.top(), w, std::max(g.height(), l->sizeHint().height()));
}

} // namespace

QPixmap applicationLogo(int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(size * 0.06, size * 0.06, size * 0.88, size * 0.88);
    p.setBrush(QColor(0x1f, 0x4e, 0x79));
    p.setPen(QPen(QColor(0x0b, 0x2a, 0x44), size / 30.0));
    p.drawEllipse(r);
    // A quill crossing the seal.
    QPainterPath quill;
    quill.moveTo(size * 0.30, size * 0.78);
    quill.cubicTo(size * 0.40, size * 0.45, size * 0.60, size * 0.25, size * 0.78, size * 0.18);
    quill.cubicTo(size * 0.70, size * 0.40, size * 0.55, size * 0.60, size * 0.30, size * 0.78);
    p.setBrush(QColor(0xf2, 0xe8, 0xc9));
    p.setPen(QPen(QColor(0xc9, 0xa2, 0x27), size / 40.0));
    p.drawPath(quill);
    p.setPen(QColor(0xf2, 0xe8, 0xc9));
    QFont f(QStringLiteral("Arial"));
    f.setBold(true);
    f.setPixelSize(int(size * 0.22));
    p.setFont(f);
    p.drawText(QRectF(0, size * 0.58, size * 0.62, size * 0.3), Qt::AlignCenter, QStringLiteral("QW"));
    return pm;
}

frmSplash::frmSplash(QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("frmSplash"));
    setFixedSize(Twips::toPixels(ClientWidth), Twips::toPixels(ClientHeight));
    auto *frame = new QFrame(this);
    frame->setFrameShape(QFrame::Box);
    frame->setGeometry(Twips::rect(60, 60, ClientWidth - 120, ClientHeight - 120));
    auto *logo = new QLabel(frame);
    logo->setPixmap(applicationLogo(94));
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
