#pragma once

#include "jetsql/JetSqlToken.h"

#include <QList>
#include <QString>

namespace JetSqlLexer
{

// Splits text into tokens; the list always ends with one End token. `context`
// names what is being read ("the filter expression") in error messages.
// Throws DataError(Syntax) for an unterminated string or name, a stray
// character, or a NUL character (SQLite would cut a pattern short at it).
QList<JetSqlToken> tokenize(const QString &text, const QString &context);

// How a token is named in an error message: 'DROP', ';', the end of the text.
QString describe(const JetSqlToken &token);

} // namespace JetSqlLexer
