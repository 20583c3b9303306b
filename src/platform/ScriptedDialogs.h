#pragma once

#include "platform/Dialogs.h"

#include <QList>
#include <QStringList>
#include <deque>

// A Dialogs implementation for tests: records every prompt, button set, icon
// and title, and answers from queues the test fills. With an empty queue a
// message box answers with its first button (OK or Yes) and an input box
// with the empty text. Installs itself for its lifetime.
class ScriptedDialogs : public Dialogs
{
public:
    struct Shown {
        QString prompt;
        Buttons buttons;
        Icon icon;
        QString title; // the title as the user would see it
    };

    ScriptedDialogs();
    ~ScriptedDialogs() override;

    void queueAnswer(Answer a) { m_answers.push_back(a); }
    void queueInput(const QString &text) { m_inputs.push_back(text); }

    Answer message(const QString &prompt, Buttons buttons, Icon icon,
                   const QString &title) override;
    QString input(const QString &prompt, const QString &title,
                  const QString &defaultText) override;
    void beep() override { ++m_beeps; }

    const QList<Shown> &messages() const { return m_messages; }
    const QList<Shown> &inputs() const { return m_inputPrompts; }
    int beeps() const { return m_beeps; }
    int pendingAnswers() const { return int(m_answers.size()); }
    void clear();

private:
    std::deque<Answer> m_answers;
    std::deque<QString> m_inputs;
    QList<Shown> m_messages;
    QList<Shown> m_inputPrompts;
    int m_beeps = 0;
    Dialogs *m_previous = nullptr;
};
