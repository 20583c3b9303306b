#include "caseform/NavigatorBar.h"

#include "caseform/RecordBinder.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

namespace
{
struct ButtonFace {
    const char *glyph;
    const char *name;
    int action;
};

const ButtonFace Faces[NavigatorBar::ButtonCount] = {
    {"|◀", "First record", RecordBinder::MoveFirstAction},
    {"◀", "Previous record", RecordBinder::MovePreviousAction},
    {"▶", "Next record", RecordBinder::MoveNextAction},
    {"▶|", "Last record", RecordBinder::MoveLastAction},
};
} // namespace

NavigatorBar::NavigatorBar(RecordBinder &binder, QWidget *parent)
    : QWidget(parent), m_binder(binder)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_caption = new QLabel(binder.caption(), this);
    m_caption->setAlignment(Qt::AlignCenter);
    m_caption->setFrameShape(QFrame::Panel);
    m_caption->setFrameShadow(QFrame::Sunken);
    m_caption->installEventFilter(this);
    connect(&binder, &RecordBinder::captionChanged, m_caption, &QLabel::setText);
    for (int i = 0; i < ButtonCount; ++i) {
        auto *b = new QToolButton(this);
        b->setText(QString::fromUtf8(Faces[i].glyph));
        b->setToolTip(QString::fromLatin1(Faces[i].name));
        b->setAccessibleName(QString::fromLatin1(Faces[i].name));
        b->setFocusPolicy(Qt::NoFocus);
        b->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
        b->installEventFilter(this);
        const int action = Faces[i].action;
        connect(b, &QToolButton::clicked, &binder, [&binder, action] { binder.navigate(action); });
        m_buttons[i] = b;
    }
    layout->addWidget(m_buttons[First]);
    layout->addWidget(m_buttons[Previous]);
    layout->addWidget(m_caption, 1);
    layout->addWidget(m_buttons[Next]);
    layout->addWidget(m_buttons[Last]);
}

QString NavigatorBar::caption() const
{
    return m_caption->text();
}

bool NavigatorBar::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress)
        m_binder.raiseMouseDown();
    return QWidget::eventFilter(watched, event);
}
