#include "platform/Dialogs.h"

#include "platform/AppInfo.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace {
Dialogs *g_installed = nullptr;

QString titleOr(const QString &title)
{
    return title.isEmpty() ? AppInfo::title() : title;
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
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(titleOr(title));
    box.setText(displayText(prompt));
    switch (icon) {
    case Icon::None: box.setIcon(QMessageBox::NoIcon); break;
    case Icon::Question: box.setIcon(QMessageBox::Question); break;
    case Icon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case Icon::Critical: box.setIcon(QMessageBox::Critical); break;
    case Icon::Information: box.setIcon(QMessageBox::Information); break;
    }
    switch (buttons) {
    case Buttons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
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
    switch (box.exec()) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    case QMessageBox::Cancel: return Answer::Cancel;
    default:
        return buttons == Buttons::YesNo         ? Answer::No
               : buttons == Buttons::YesNoCancel ? Answer::Cancel
                                                 : Answer::Ok;
    }
}

QString QtDialogs::input(const QString &prompt, const QString &title, const QString &defaultText)
{
    bool ok = false;
    const QString text = QInputDialog::getText(QApplication::activeWindow(), titleOr(title),
                                               displayText(prompt), QLineEdit::Normal,
                                               defaultText, &ok);
    return ok ? text : QString();
}

void QtDialogs::beep()
{
    QApplication::beep();
}

QString QtDialogs::saveFileName(const QString &title, const QString &suggestedPath,
                                const QString &filter)
{
    return QFileDialog::getSaveFileName(QApplication::activeWindow(), titleOr(title), suggestedPath,
                                        filter);
}

int QtDialogs::exec(QDialog &dialog)
{
    return dialog.exec();
}
