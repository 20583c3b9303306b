#include "platform/Dialogs.h"

#include "platform/core/AppInfo.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QGridLayout>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>
#include <QRegularExpression>
#include <QSpacerItem>
#include <QTimer>

namespace
{
Dialogs *g_installed = nullptr;

// Window titles: a bold face at least this size, and room for the window
// icon and three title bar buttons with their margins (pixels).
constexpr qreal TitleFontPoints = 10;
constexpr int TitleBarAllowance = 140;

QString titleOr(const QString &title)
{
    return title.isEmpty() ? AppInfo::title() : title;
}

// The window a box belongs to. While the program starts nothing is active
// yet, but the splash stays on top: a box without a parent would open
// behind it, out of sight and out of reach of the keyboard, and the program
// would look hung.
QWidget *ownerWindow()
{
    if (QWidget *w = QApplication::activeModalWidget())
        return w;
    if (QWidget *w = QApplication::activeWindow())
        return w;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible() && (w->windowFlags() & Qt::WindowStaysOnTopHint))
            return w;
    return nullptr;
}

// A box on top of its owner (and of a window kept on top), active, so that
// Enter and Esc reach it.
void putOnTop(QDialog &box, QWidget *owner)
{
    if (!owner || (owner->windowFlags() & Qt::WindowStaysOnTopHint))
        box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    QTimer::singleShot(0, &box, [&box] {
        box.raise();
        box.activateWindow();
    });
}

// The window manager writes the title in its own, larger and bold font, and
// needs room for the window's icon and buttons beside it: a box only as wide
// as its text shows a short prompt under a title cut in the middle.
int widthForTitle(const QString &title)
{
    QFont font = QApplication::font();
    font.setBold(true);
    font.setPointSizeF(std::max<qreal>(font.pointSizeF(), TitleFontPoints));
    return QFontMetrics(font).horizontalAdvance(title) + TitleBarAllowance;
}

// The suffix a save dialog gives a name typed without one: that of the
// filter's first pattern ("PDF files (*.pdf)" gives "pdf"), so that the
// dialog's own "replace?" question is about the file that will be written.
QString firstSuffix(const QString &filter)
{
    static const QRegularExpression pattern(QStringLiteral("\\(\\*\\.([^ ;)*?]+)"));
    return pattern.match(filter).captured(1);
}

// After a file dialog the window it came from takes the keyboard back, as
// after a message box. A file dialog that closes right after its own
// "replace?" question leaves the window manager activating a dialog that is
// going away, and in some tries then no window at all. Asked once more when
// the closing has been handled, in case the window manager came last.
void giveKeyboardBack(QWidget *owner, const QPointer<QWidget> &focus)
{
    if (!owner)
        return;
    auto activate = [owner = QPointer<QWidget>(owner), focus] {
        if (!owner || !owner->isVisible())
            return;
        owner->raise();
        owner->activateWindow();
        if (focus)
            focus->setFocus(Qt::OtherFocusReason);
    };
    activate();
    QTimer::singleShot(0, owner, activate);
}

QString runFileDialog(QFileDialog &dialog, QWidget *owner)
{
    const QPointer<QWidget> focus = owner ? owner->focusWidget() : nullptr;
    const int result = dialog.exec();
    giveKeyboardBack(owner, focus);
    return result == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

// The classic prompts break lines with LF CR; a message box wants one break.
QString displayText(QString prompt)
{
    prompt.replace(QStringLiteral("\n\r"), QStringLiteral("\n"));
    prompt.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return prompt;
}
} // namespace

Dialogs &Dialogs::instance()
{
    static QtDialogs real;
    return g_installed ? *g_installed : real;
}

void Dialogs::install(Dialogs *dialogs)
{
    g_installed = dialogs;
}

Dialogs::Answer QtDialogs::message(const QString &prompt, Buttons buttons, Icon icon,
                                   const QString &title)
{
    QWidget *owner = ownerWindow();
    QMessageBox box(owner);
    box.setWindowTitle(titleOr(title));
    putOnTop(box, owner);
    box.setText(displayText(prompt));
    switch (icon) {
    case Icon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case Icon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case Icon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case Icon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case Icon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    }
    switch (buttons) {
    case Buttons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case Buttons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        break;
    case Buttons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case Buttons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Yes);
        break;
    }
    // The box sizes itself to its layout when shown: a spacer as wide as the
    // title keeps the title whole.
    if (auto *grid = qobject_cast<QGridLayout *>(box.layout()))
        grid->addItem(new QSpacerItem(widthForTitle(box.windowTitle()), 0, QSizePolicy::Minimum),
                      grid->rowCount(), 0, 1, grid->columnCount());
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Cancel:
        return Answer::Cancel;
    default:
        return buttons == Buttons::YesNo         ? Answer::No
               : buttons == Buttons::YesNoCancel ? Answer::Cancel
                                                 : Answer::Ok;
    }
}

QString QtDialogs::input(const QString &prompt, const QString &title, const QString &defaultText)
{
    QWidget *owner = ownerWindow();
    QInputDialog box(owner);
    box.setWindowTitle(titleOr(title));
    box.setLabelText(displayText(prompt));
    box.setTextValue(defaultText);
    box.setMinimumWidth(widthForTitle(box.windowTitle()));
    putOnTop(box, owner);
    return box.exec() == QDialog::Accepted ? box.textValue() : QString();
}

void QtDialogs::beep()
{
    QApplication::beep();
}

QString QtDialogs::saveFileName(const QString &title, const QString &suggestedPath,
                                const QString &filter)
{
    QWidget *owner = ownerWindow();
    QFileDialog dialog(owner, titleOr(title), suggestedPath, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(firstSuffix(filter));
    return runFileDialog(dialog, owner);
}

QString QtDialogs::openFileName(const QString &title, const QString &folder, const QString &filter)
{
    QWidget *owner = ownerWindow();
    QFileDialog dialog(owner, titleOr(title), folder, filter);
    dialog.setFileMode(QFileDialog::ExistingFile);
    return runFileDialog(dialog, owner);
}

int QtDialogs::exec(QDialog &dialog)
{
    return dialog.exec();
}
