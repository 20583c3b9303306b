#include "platform/TextBox.h"

#include "platform/LengthLimit.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScopedValueRollback>
#include <QTextCursor>
#include <QVBoxLayout>
#include <QValidator>

// QLineEdit's own maxLength also cuts program-assigned text, so a validator
// keeps the user's edits within the limit instead: it lets an edit through
// when it keeps the text within the limit or makes it shorter, and cuts an
// insertion down to the room left.
class TextBoxLimit : public QValidator
{
  public:
    explicit TextBoxLimit(TextBox *box) : QValidator(box), m_box(box) {}

    State validate(QString &input, int &pos) const override
    {
        if (m_box->m_assigning || m_box->m_maxLength <= 0)
            return Acceptable;
        const QString &before = m_box->m_text;
        const int max = m_box->m_maxLength;
        return LengthLimit::cut(input, pos, max, before.size()) ? Acceptable : Invalid;
    }

  private:
    TextBox *m_box;
};

namespace
{

QString toCrLf(const QString &plain)
{
    QString t = plain;
    t.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return t;
}

// The editor shows one paragraph per line; CR LF, a lone CR, a lone LF and
// the Unicode line and paragraph separators all break the line there (and
// are stored as CR LF once the steward edits the text). Cuts inside a CR LF
// pair (a stored piece ending in CR) therefore still show as one break once
// joined.
QString toPlain(const QString &crlf)
{
    QString t = crlf;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    t.replace(QChar::LineSeparator, QLatin1Char('\n'));
    t.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return t;
}

// A key as both its press and its release name it: the key code may differ
// between the two when a modifier changed in between, the scan code does not.
int keyId(const QKeyEvent *e)
{
    return e->nativeScanCode() != 0 ? -int(e->nativeScanCode()) : e->key();
}

// The first n units of t, one fewer when the n-th is the first half of a pair.
QString leftWhole(const QString &t, qsizetype n)
{
    if (n > 0 && n < t.size() && t.at(n - 1).isHighSurrogate() && t.at(n).isLowSurrogate())
        --n;
    return t.left(n);
}

class LimitedPlainTextEdit : public QPlainTextEdit
{
  public:
    explicit LimitedPlainTextEdit(TextBox *box) : QPlainTextEdit(box), m_box(box) {}

  protected:
    void insertFromMimeData(const QMimeData *source) override
    {
        if (source && source->hasText())
            m_box->typeText(source->text());
    }

    // Dead keys, compose sequences and input methods hand over their text as
    // a commit, not as key presses: it is typed text all the same and meets
    // the same limit.
    void inputMethodEvent(QInputMethodEvent *e) override
    {
        const QString commit = e->commitString();
        if (commit.isEmpty() || m_box->maxLength() <= 0) {
            QPlainTextEdit::inputMethodEvent(e);
            return;
        }
        if (e->replacementLength() > 0) {
            QTextCursor c = textCursor();
            const int at = c.position() + e->replacementStart();
            c.setPosition(at);
            c.setPosition(at + e->replacementLength(), QTextCursor::KeepAnchor);
            setTextCursor(c);
        }
        QInputMethodEvent preeditOnly(e->preeditString(), e->attributes());
        QPlainTextEdit::inputMethodEvent(&preeditOnly);
        m_box->typeText(commit);
        e->accept();
    }

  private:
    TextBox *m_box;
};

} // namespace

TextBox::TextBox(QWidget *parent, bool multiLine) : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    if (multiLine) {
        m_plain = new LimitedPlainTextEdit(this);
        m_plain->setTabChangesFocus(true);
        m_plain->installEventFilter(this);
        layout->addWidget(m_plain);
        setFocusProxy(m_plain);
        connect(m_plain, &QPlainTextEdit::textChanged, this, &TextBox::editorChanged);
    } else {
        m_line = new QLineEdit(this);
        m_line->setValidator(new TextBoxLimit(this));
        m_line->installEventFilter(this);
        layout->addWidget(m_line);
        setFocusProxy(m_line);
        connect(m_line, &QLineEdit::textChanged, this, &TextBox::editorChanged);
    }
    setFocusPolicy(Qt::StrongFocus);
}

void TextBox::setText(const QString &text)
{
    if (text == m_text)
        return;
    m_assigning = true;
    if (m_line) {
        m_line->setText(text);
        m_line->setCursorPosition(0);
    } else {
        m_plain->setPlainText(toPlain(text));
    }
    m_assigning = false;
    // A multi-line text is kept exactly as assigned (a lone CR stays a CR)
    // until the user edits it.
    if (m_text != text) {
        m_text = text;
        Q_EMIT changed();
    }
}

void TextBox::editorChanged()
{
    if (m_assigning)
        return; // setText reports the change itself, with the exact text
    const QString now = m_line ? m_line->text() : toCrLf(m_plain->toPlainText());
    if (now == m_text)
        return;
    m_text = now;
    const QScopedValueRollback<bool> byUser(m_userChange, true);
    Q_EMIT changed();
}

int TextBox::storedLength(const QString &stored) const
{
    return m_storedLength ? m_storedLength(stored) : int(stored.size());
}

bool TextBox::isActiveControl() const
{
    return QApplication::focusWidget() == editor();
}

QWidget *TextBox::editor() const
{
    return m_line ? static_cast<QWidget *>(m_line) : m_plain;
}

int TextBox::roomFor(int selectedLength) const
{
    if (m_maxLength <= 0)
        return INT_MAX;
    return std::max(0, m_maxLength - (int(m_text.size()) - selectedLength));
}

void TextBox::typeText(const QString &typed)
{
    if (m_line) {
        const int selected = int(m_line->selectedText().size());
        QString t = typed;
        t.remove(QLatin1Char('\r'));
        t.replace(QLatin1Char('\n'), QLatin1Char(' '));
        m_line->insert(leftWhole(t, roomFor(selected)));
        return;
    }
    // What counts against the limit is the text as it will be stored (line
    // breaks as CR LF, whatever form they came in), measured with the
    // insertion in place; whole characters are taken while they fit.
    QTextCursor cursor = m_plain->textCursor();
    const QString doc = m_plain->toPlainText();
    const QString head = doc.left(cursor.selectionStart());
    const QString tail = doc.mid(cursor.selectionEnd());
    const QString plain = toPlain(typed);
    QString fits;
    if (m_maxLength <= 0) {
        fits = plain;
    } else {
        for (qsizetype i = 0; i < plain.size();) {
            const qsizetype n = plain.at(i).isHighSurrogate() && i + 1 < plain.size() &&
                                        plain.at(i + 1).isLowSurrogate()
                                    ? 2
                                    : 1;
            const QString longer = fits + plain.mid(i, n);
            if (storedLength(toCrLf(head + longer + tail)) > m_maxLength)
                break;
            fits = longer;
            i += n;
        }
    }
    if (fits.isEmpty() && !cursor.hasSelection())
        return;
    cursor.insertText(fits);
    m_plain->setTextCursor(cursor);
}

bool TextBox::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != editor())
        return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::KeyRelease) {
        // Only a key pressed here is released here: the release of the Enter
        // or Esc that closed a message box, or of the Tab that brought the
        // focus in, belongs to where it was pressed.
        auto *ke = static_cast<QKeyEvent *>(event);
        if (!ke->isAutoRepeat() && m_pressed.remove(keyId(ke)))
            Q_EMIT keyUp(ke->key(), ke->modifiers());
    } else if (event->type() == QEvent::FocusOut) {
        m_pressed.clear();
    } else if (event->type() == QEvent::KeyPress) {
        auto *ke = static_cast<QKeyEvent *>(event);
        if (!ke->isAutoRepeat())
            m_pressed.insert(keyId(ke));
    }
    if (m_plain && event->type() == QEvent::KeyPress) {
        auto *ke = static_cast<QKeyEvent *>(event);
        if (ke->matches(QKeySequence::Paste)) {
            typeText(QGuiApplication::clipboard()->text());
            return true;
        }
        const bool enter = ke->key() == Qt::Key_Return || ke->key() == Qt::Key_Enter;
        const QString typed = enter ? QStringLiteral("\n") : ke->text();
        const bool printable = enter || (!typed.isEmpty() && typed.at(0).isPrint());
        if (printable && !(ke->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            typeText(typed);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
