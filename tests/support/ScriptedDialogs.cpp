#include "support/ScriptedDialogs.h"

#include "platform/core/AppInfo.h"

#include <QDialog>

ScriptedDialogs::ScriptedDialogs()
{
    Dialogs::install(this);
}

ScriptedDialogs::~ScriptedDialogs()
{
    Dialogs::install(nullptr);
}

Dialogs::Answer ScriptedDialogs::message(const QString &prompt, Buttons buttons, Icon icon,
                                         const QString &title)
{
    m_messages.append({prompt, buttons, icon, title.isEmpty() ? AppInfo::title() : title});
    if (!m_answers.empty()) {
        const Answer a = m_answers.front();
        m_answers.pop_front();
        return a;
    }
    return buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel ? Answer::Yes : Answer::Ok;
}

QString ScriptedDialogs::input(const QString &prompt, const QString &title, const QString &)
{
    m_inputPrompts.append(
        {prompt, Buttons::OkCancel, Icon::None, title.isEmpty() ? AppInfo::title() : title});
    if (m_inputs.empty())
        return {};
    const QString t = m_inputs.front();
    m_inputs.pop_front();
    return t;
}

QString ScriptedDialogs::saveFileName(const QString &title, const QString &suggestedPath,
                                      const QString &)
{
    m_fileDialogs.append(
        {suggestedPath, Buttons::OkCancel, Icon::None, title.isEmpty() ? AppInfo::title() : title});
    if (m_fileNames.empty())
        return {};
    const QString path = m_fileNames.front();
    m_fileNames.pop_front();
    return path;
}

QString ScriptedDialogs::openFileName(const QString &title, const QString &folder, const QString &)
{
    m_fileDialogs.append(
        {folder, Buttons::OkCancel, Icon::None, title.isEmpty() ? AppInfo::title() : title});
    if (m_openNames.empty())
        return {};
    const QString path = m_openNames.front();
    m_openNames.pop_front();
    return path;
}

int ScriptedDialogs::exec(QDialog &dialog)
{
    m_dialogTitles.append(dialog.windowTitle());
    if (m_dialogs.empty())
        return QDialog::Rejected;
    const std::function<int(QDialog &)> work = std::move(m_dialogs.front());
    m_dialogs.pop_front();
    return work(dialog);
}

void ScriptedDialogs::clear()
{
    m_answers.clear();
    m_inputs.clear();
    m_fileNames.clear();
    m_openNames.clear();
    m_dialogs.clear();
    m_fileDialogs.clear();
    m_dialogTitles.clear();
    m_messages.clear();
    m_inputPrompts.clear();
    m_beeps = 0;
}
