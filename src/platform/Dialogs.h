#pragma once

#include <QString>

class QDialog;

// Message boxes, input boxes and the beep. Handlers reach them through
// Dialogs::instance(), so tests can put a scripted implementation in place of
// the real modal dialogs.
class Dialogs
{
  public:
    enum class Buttons { Ok, YesNo, OkCancel, YesNoCancel };
    enum class Icon { None, Question, Exclamation, Critical, Information };
    enum class Answer { Ok, Cancel, Yes, No };

    virtual ~Dialogs() = default;

    // An empty title shows the application title.
    virtual Answer message(const QString &prompt, Buttons buttons = Buttons::Ok,
                           Icon icon = Icon::None, const QString &title = {}) = 0;
    // Returns the typed text, or the empty text when cancelled.
    virtual QString input(const QString &prompt, const QString &title = {},
                          const QString &defaultText = {}) = 0;
    virtual void beep() = 0;
    // The file the user picks to save into (the file dialog asks before
    // replacing one), or the empty text when cancelled.
    virtual QString saveFileName(const QString &title, const QString &suggestedPath,
                                 const QString &filter) = 0;
    // The existing file the user picks to read, or the empty text when
    // cancelled.
    virtual QString openFileName(const QString &title, const QString &folder,
                                 const QString &filter) = 0;
    // Shows one of the program's own dialogs modally; its result
    // (QDialog::Accepted or Rejected).
    virtual int exec(QDialog &dialog) = 0;

    static Dialogs &instance();
    // Installs another implementation (not owned); nullptr restores the real one.
    static void install(Dialogs *dialogs);
};

// Real modal dialogs over the active window.
class QtDialogs : public Dialogs
{
  public:
    Answer message(const QString &prompt, Buttons buttons, Icon icon,
                   const QString &title) override;
    QString input(const QString &prompt, const QString &title, const QString &defaultText) override;
    void beep() override;
    QString saveFileName(const QString &title, const QString &suggestedPath,
                         const QString &filter) override;
    QString openFileName(const QString &title, const QString &folder,
                         const QString &filter) override;
    int exec(QDialog &dialog) override;
};
