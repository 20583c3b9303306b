#pragma once

#include "safekeeping/CsvImport.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

// How an import matches the columns it reads to a table's fields, and
// checks each value before it is handed on: the same for every kind of file
// imported (CSV, an Access table), so that each is refused for the same
// reasons in the same words.
class FieldMatch
{
  public:
    explicit FieldMatch(const QList<CsvColumn> &fields) : m_fields(fields) {}

    // Matches the columns to the fields by name, whatever the case; a
    // column named in `chosen` (lower-case name -> field) goes to that
    // field instead. Fills header, matched, ignored and missing of `p`;
    // false, with p->error, when a field would be filled twice or none is.
    bool header(const QStringList &columns, CsvPreview *p,
                const QHash<QString, QString> &chosen = {});

    // Per column: its field's index, or -1 when it is ignored.
    int fieldOf(qsizetype column) const { return m_columnField.value(column, -1); }
    const QStringList &matched() const { return m_matched; }
    const CsvColumn &field(int index) const { return m_fields.at(index); }

    // A value of row `number` for field `index`, as it is to be stored:
    // line breaks as CR LF; refused (with `error`) when it holds a NUL or
    // is longer than the field holds. A null value stays null.
    std::optional<QVariant> value(int index, const QVariant &value, qint64 number,
                                  QString *error) const;

    // Line breaks as the window's boxes hold them: CR LF, whatever form the
    // file has them in (a lone LF from a spreadsheet, a lone CR), so that a
    // value counted here is as long as it is once the steward edits it.
    static QString withCrLf(const QString &value);

  private:
    const QList<CsvColumn> &m_fields;
    QList<int> m_columnField;
    QStringList m_matched;
};
