#pragma once

#include <QSet>
#include <QWidget>
#include <functional>

class QLineEdit;
class QPlainTextEdit;

// The classic text box. Unlike QLineEdit it:
// - limits only what the user types, pastes or drops to maxLength(); text the
//   program assigns is kept whole;
// - holds a multi-line text with its line breaks as CR LF, two characters
//   each, and counts them so against the limit;
// - raises changed() synchronously inside every assignment that changes the
//   text, whether the user, the program or a data binding assigned it.
class TextBox : public QWidget
{
    Q_OBJECT
  public:
    explicit TextBox(QWidget *parent = nullptr, bool multiLine = false);

    QString text() const { return m_text; }
    void setText(const QString &text);

    int maxLength() const { return m_maxLength; }
    void setMaxLength(int length) { m_maxLength = length; } // 0: no limit
    // How a multi-line box measures its text (line breaks as CR LF) against
    // maxLength(); by default its length. The case facts count the room
    // their stored pieces take.
    void setStoredLength(std::function<int(const QString &)> measure)
    {
        m_storedLength = std::move(measure);
    }

    // True while changed() reports an edit of the steward's (typing, paste,
    // drop, input method), not an assignment by the program.
    bool isUserChange() const { return m_userChange; }

    bool isMultiLine() const { return m_plain != nullptr; }
    // True when the editor inside has the application's input focus.
    bool isActiveControl() const;
    // The widget that takes the input focus and key events.
    QWidget *editor() const;

    // Replaces the selection with text as if the user typed or pasted it:
    // the length limit applies. Used by the editor's own paste and by tests.
    void typeText(const QString &text);

  Q_SIGNALS:
    void changed();
    void keyUp(int key, Qt::KeyboardModifiers modifiers);

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    friend class TextBoxLimit;
    void editorChanged();
    int roomFor(int selectedLength) const;
    int storedLength(const QString &stored) const;

    QLineEdit *m_line = nullptr;
    QPlainTextEdit *m_plain = nullptr;
    QString m_text;
    int m_maxLength = 0;
    bool m_assigning = false;
    bool m_userChange = false;
    std::function<int(const QString &)> m_storedLength;
    QSet<int> m_pressed; // keys pressed here and not yet released
};
