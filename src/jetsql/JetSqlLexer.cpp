#include "jetsql/JetSqlLexer.h"

#include "jetsql/DataError.h"

namespace
{

constexpr qsizetype QuoteLimit = 40; // longer user text is cut in messages

[[noreturn]] void syntaxError(const QString &context, const QString &detail, qsizetype position)
{
    throw DataError(DataErrors::Syntax, QStringLiteral("Syntax error in %1: %2 at character %3.")
                                            .arg(context, detail)
                                            .arg(position + 1));
}

bool isWordStart(QChar c)
{
    return c.isLetter() || c == u'_';
}
bool isWordPart(QChar c)
{
    return c.isLetterOrNumber() || c == u'_';
}
bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

class Lexer
{
  public:
    Lexer(const QString &text, const QString &context) : m_text(text), m_context(context) {}

    QList<JetSqlToken> run()
    {
        QList<JetSqlToken> tokens;
        for (;;) {
            while (m_pos < m_text.size() && m_text[m_pos].isSpace())
                ++m_pos;
            if (m_pos >= m_text.size())
                break;
            tokens.append(next(tokens.isEmpty() ? nullptr : &tokens.last()));
        }
        tokens.append(JetSqlToken{JetSqlToken::Type::End, QString(), m_text.size()});
        return tokens;
    }

  private:
    JetSqlToken next(const JetSqlToken *previous)
    {
        const qsizetype start = m_pos;
        const QChar c = m_text[m_pos];
        if (c == QChar(0))
            syntaxError(m_context, QStringLiteral("invalid character (NUL)"), start);
        if (c == u'[')
            return bracketName(start);
        if (c == u'\'' || c == u'"')
            return string(start, c);
        // ".5" is a number, but in Employee.5 the dot belongs to a qualified name.
        const bool afterName = previous && previous->isName();
        if (isDigit(c) ||
            (c == u'.' && !afterName && m_pos + 1 < m_text.size() && isDigit(m_text[m_pos + 1])))
            return number(start);
        if (isWordStart(c)) {
            while (m_pos < m_text.size() && isWordPart(m_text[m_pos]))
                ++m_pos;
            return {JetSqlToken::Type::Name, m_text.mid(start, m_pos - start), start};
        }
        if (c == u'#')
            throw DataError(
                DataErrors::Unsupported,
                QStringLiteral("Date constants (#...#) are not supported in %1.").arg(m_context));
        for (const char *two : {"<>", "<=", ">="}) {
            if (m_text.mid(m_pos, 2) == QLatin1String(two)) {
                m_pos += 2;
                return {JetSqlToken::Type::Symbol, QString::fromLatin1(two), start};
            }
        }
        if (QStringLiteral("=<>(),.;*-+/&!").contains(c)) {
            ++m_pos;
            return {JetSqlToken::Type::Symbol, QString(c), start};
        }
        syntaxError(m_context, QStringLiteral("unexpected character '%1'").arg(c), start);
    }

    JetSqlToken bracketName(qsizetype start)
    {
        const qsizetype close = m_text.indexOf(u']', start + 1);
        if (close < 0)
            syntaxError(m_context, QStringLiteral("missing ']' after a name"), start);
        const QString name = m_text.mid(start + 1, close - start - 1);
        if (name.trimmed().isEmpty())
            syntaxError(m_context, QStringLiteral("empty name '[]'"), start);
        m_pos = close + 1;
        return {JetSqlToken::Type::BracketName, name, start};
    }

    JetSqlToken string(qsizetype start, QChar quote)
    {
        QString value = QLatin1String(""); // '' is empty text, never Null
        qsizetype i = start + 1;
        for (;;) {
            if (i >= m_text.size())
                syntaxError(m_context, QStringLiteral("missing closing quote of the text"), start);
            if (m_text[i] == quote) {
                if (i + 1 < m_text.size() && m_text[i + 1] == quote) {
                    value.append(quote);
                    i += 2;
                    continue;
                }
                break;
            }
            if (m_text[i] == QChar(0))
                syntaxError(m_context, QStringLiteral("invalid character (NUL)"), i);
            value.append(m_text[i]);
            ++i;
        }
        m_pos = i + 1;
        return {JetSqlToken::Type::String, value, start};
    }

    JetSqlToken number(qsizetype start)
    {
        auto digits = [this] {
            const qsizetype from = m_pos;
            while (m_pos < m_text.size() && isDigit(m_text[m_pos]))
                ++m_pos;
            return m_pos > from;
        };
        digits();
        if (m_pos < m_text.size() && m_text[m_pos] == u'.') {
            ++m_pos;
            digits();
        }
        if (m_pos < m_text.size() && (m_text[m_pos] == u'e' || m_text[m_pos] == u'E')) {
            ++m_pos;
            if (m_pos < m_text.size() && (m_text[m_pos] == u'+' || m_text[m_pos] == u'-'))
                ++m_pos;
            if (!digits())
                syntaxError(m_context, QStringLiteral("invalid number"), start);
        }
        if (m_pos < m_text.size() && (isWordPart(m_text[m_pos]) || m_text[m_pos] == u'.'))
            syntaxError(m_context, QStringLiteral("invalid number"), start);
        return {JetSqlToken::Type::Number, m_text.mid(start, m_pos - start), start};
    }

    const QString &m_text;
    const QString &m_context;
    qsizetype m_pos = 0;
};

} // namespace

QList<JetSqlToken> JetSqlLexer::tokenize(const QString &text, const QString &context)
{
    return Lexer(text, context).run();
}

QString JetSqlLexer::describe(const JetSqlToken &token)
{
    switch (token.type) {
    case JetSqlToken::Type::End:
        return QStringLiteral("the end of the text");
    case JetSqlToken::Type::String:
        return QStringLiteral("the text '%1'").arg(token.text.left(QuoteLimit));
    case JetSqlToken::Type::BracketName:
        return QStringLiteral("'[%1]'").arg(token.text.left(QuoteLimit));
    default:
        return QStringLiteral("'%1'").arg(token.text.left(QuoteLimit));
    }
}
