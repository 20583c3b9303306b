#pragma once

#include <QLatin1String>
#include <QString>

// One lexical unit of a Jet statement or expression.
struct JetSqlToken {
    enum class Type {
        Name,        // a bare word: a keyword or an unbracketed name
        BracketName, // [Name With Spaces]; never a keyword
        String,      // 'text' or "text", with the doubled quotes undone
        Number,      // as written: 12, 1.5, 2e3
        Symbol,      // = <> < > <= >= ( ) , . ; * - + / & !
        End,
    };

    Type type = Type::End;
    QString text;
    qsizetype position = 0; // offset in the input, for messages

    bool isKeyword(QLatin1String word) const
    {
        return type == Type::Name && text.compare(word, Qt::CaseInsensitive) == 0;
    }
    bool isSymbol(QLatin1String symbol) const { return type == Type::Symbol && text == symbol; }
    bool isName() const { return type == Type::Name || type == Type::BracketName; }
};
