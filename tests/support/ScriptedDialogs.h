#pragma once

#include "platform/Dialogs.h"

#include <QList>
#include <QStringList>
#include <deque>
#include <functional>

// A Dialogs implementation for tests: records every prompt, button set, icon
// and title, and answers from queues the test fills. With an empty queue a
// message box answers with its first button (OK or Yes) and an input box
// with the empty text. A file dialog answers with the queued file names
// (cancelled when none is left); a dialog of the program's own is handed to
// the queued function, which works its widgets and returns its result
// (rejected when none is left). Installs itself for its lifetime.
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
    void queueSaveFileName(const QString &path) { m_fileNames.push_back(path); }
    void queueOpenFileName(const QString &path) { m_openNames.push_back(path); }
    void queueDialog(std::function<int(QDialog &)> work) { m_dialogs.push_back(std::move(work)); }

    Answer message(const QString &prompt, Buttons buttons, Icon icon,
                   const QString &title) override;
    QString input(const QString &prompt, const QString &title, const QString &defaultText) override;
    void beep() override { ++m_beeps; }
    QString saveFileName(const QString &title, const QString &suggestedPath,
                         const QString &filter) override;
    QString openFileName(const QString &title, const QString &folder,
                         const QString &filter) override;
    int exec(QDialog &dialog) override;

    const QList<Shown> &messages() const { return m_messages; }
    const QList<Shown> &inputs() const { return m_inputPrompts; }
    int beeps() const { return m_beeps; }
    // Save and open dialogs: their titles, and the path each suggested in
    // `prompt`.
    const QList<Shown> &fileDialogs() const { return m_fileDialogs; }
    // The window titles of the program's own dialogs shown.
    const QStringList &dialogsShown() const { return m_dialogTitles; }
    int pendingAnswers() const { return int(m_answers.size()); }
    void clear();

  private:
    std::deque<Answer> m_answers;
    std::deque<QString> m_inputs;
    std::deque<QString> m_fileNames;
    std::deque<QString> m_openNames;
    std::deque<std::function<int(QDialog &)>> m_dialogs;
    QList<Shown> m_fileDialogs;
    QStringList m_dialogTitles;
    QList<Shown> m_messages;
    QList<Shown> m_inputPrompts;
    int m_beeps = 0;
    Dialogs *m_previous = nullptr;
};
