#pragma once

#include <QValidator>

// Keeps what the user types, pastes or drops into a line editor within a
// number of UTF-16 units. The run just inserted (which ends at the cursor)
// is cut to what fits, and never between the two halves of a character
// outside the Basic Multilingual Plane: a character that does not fit whole
// is left out whole, as each half on its own would be stored as an invalid
// sequence. An edit that makes the text shorter always passes.
namespace LengthLimit
{

// Cuts input to at most `limit` units, or to `before` units when the text
// was already that long; pos is the cursor. False when no cut can do it.
bool cut(QString &input, int &pos, qsizetype limit, qsizetype before);

} // namespace LengthLimit

// The validator for an editor whose length is fixed when it opens (a grid
// cell): `limit` units, or the text it opened with when that is longer.
class LengthLimitValidator : public QValidator
{
  public:
    LengthLimitValidator(qsizetype limit, QObject *parent) : QValidator(parent), m_limit(limit) {}
    State validate(QString &input, int &pos) const override;

  private:
    qsizetype m_limit;
};
