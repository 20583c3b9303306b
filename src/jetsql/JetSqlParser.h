#pragma once

#include "jetsql/JetSql.h"
#include "jetsql/JetSqlExpr.h"
#include "jetsql/JetSqlStatement.h"
#include "jetsql/JetSqlToken.h"

#include <memory>

// Reads the Jet dialect into expression trees. The whole text is read and
// checked before any name is resolved, so that a text that cannot be read is
// reported as a syntax error rather than by its first unknown name.
//
// Precedence is Jet's: comparisons bind tightest, then NOT, then AND, then OR,
// so NOT [a] = 1 means NOT ([a] = 1).
class JetSqlParser
{
  public:
    // `context` names the text in messages, e.g. "the filter expression".
    JetSqlParser(const QString &text, const QString &context);

    // The whole text as one condition; null when the text is blank.
    std::unique_ptr<JetSqlExpr> condition(const ColumnResolver &columns);
    // The whole text as a sort list; empty when the text is blank.
    QList<SortTerm> sortList(const ColumnResolver &columns);
    // The whole text as a record source: a table name or SELECT * FROM ....
    JetSqlStatement recordSource(const TableResolver &tables);

  private:
    struct NameRef {
        QString name;
        QString qualifier; // the table before the dot; empty when none
        qsizetype position = 0;
    };

    const JetSqlToken &peek(qsizetype ahead = 0) const;
    const JetSqlToken &take();
    bool acceptKeyword(const char *word);
    bool acceptSymbol(const char *symbol);
    void expectKeyword(const char *word);
    void expectSymbol(const char *symbol);
    void expectEnd();
    bool isReserved(const JetSqlToken &token) const;

    std::unique_ptr<JetSqlExpr> orExpr();
    std::unique_ptr<JetSqlExpr> andExpr();
    std::unique_ptr<JetSqlExpr> notExpr();
    std::unique_ptr<JetSqlExpr> predicate();
    std::unique_ptr<JetSqlExpr> valueOperand();
    std::unique_ptr<JetSqlExpr> primary();
    std::unique_ptr<JetSqlExpr> constant(QVariant value);
    NameRef nameRef();
    NameRef tableName();
    QList<NameRef> sortTerms(QList<bool> &descending);
    void rejectOperatorsAfterValue();
    void requireCondition(const JetSqlExpr &expr, qsizetype position) const;
    void requireValue(const JetSqlExpr &expr, qsizetype position) const;
    void enter();
    void leave() { --m_depth; }

    QString resolve(const NameRef &ref, const ColumnResolver &columns) const;
    void resolveTree(JetSqlExpr &expr, const ColumnResolver &columns) const;

    [[noreturn]] void syntaxError(const QString &detail, qsizetype position) const;
    [[noreturn]] void unsupported(const QString &detail) const;
    [[noreturn]] void unexpected(const JetSqlToken &token) const;

    QString m_context;
    QList<JetSqlToken> m_tokens;
    qsizetype m_pos = 0;
    int m_depth = 0;
    int m_constants = 0;
    int m_predicates = 0;
    bool m_qualifiedNamesAllowed = false; // only inside a statement naming its table
    QString m_table;                      // canonical name of that table
    TableResolver m_tables;
    std::vector<NameRef> m_columnRefs; // by index: JetSqlExpr::value of Column nodes
};
