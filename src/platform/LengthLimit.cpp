#include "platform/LengthLimit.h"

namespace LengthLimit
{

bool cut(QString &input, int &pos, qsizetype limit, qsizetype before)
{
    const qsizetype most = std::max(limit, before);
    if (input.size() <= most)
        return true;
    qsizetype excess = std::min<qsizetype>(input.size() - most, pos);
    if (excess > 0 && excess < pos && input.at(pos - excess).isLowSurrogate() &&
        input.at(pos - excess - 1).isHighSurrogate())
        ++excess;
    input.remove(pos - excess, excess);
    pos -= int(excess);
    return input.size() <= most;
}

} // namespace LengthLimit

QValidator::State LengthLimitValidator::validate(QString &input, int &pos) const
{
    if (m_limit <= 0)
        return Acceptable;
    return LengthLimit::cut(input, pos, m_limit, 0) ? Acceptable : Invalid;
}
