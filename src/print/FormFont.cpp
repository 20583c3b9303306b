#include "print/FormFont.h"

#include "print/QPainterSurface.h"

#include <QFont>
#include <QFontInfo>

namespace FormFont
{

QString substitutionWarning()
{
    // Fonts do not change while the program runs.
    static const QString warning = [] {
        const QString face = QFontInfo(QFont(QStringLiteral("Arial"))).family();
        if (QPainterSurface::isArialCompatible(face))
            return QString();
        return QStringLiteral("The font Arial is missing: the form prints in \"%1\", whose "
                              "letters are sized differently, so texts may not line up with "
                              "the form. Install Arial or Liberation Sans "
                              "(fonts-liberation2).")
            .arg(face);
    }();
    return warning;
}

} // namespace FormFont
