#include "platform/ScriptedDialogs.h"

#include "platform/AppInfo.h"

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
    return buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
}

QString ScriptedDialogs::input(const QString &prompt, const QString &title, const QString &)
{
    m_inputPrompts.append({prompt, Buttons::OkCancel, Icon::None,
                           title.isEmpty() ? AppInfo::title() : title});
    if (m_inputs.empty())
        return {};
    const QString t = m_inputs.front();
    m_inputs.pop_front();
    return t;
}

void ScriptedDialogs::clear()
{
    m_answers.clear();
    m_inputs.clear();
    m_messages.clear();
    m_inputPrompts.clear();
    m_beeps = 0;
}
