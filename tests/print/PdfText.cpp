#include "PdfText.h"

#include <QProcess>
#include <QRegularExpression>

namespace
{

QString decodeEntities(QString text)
{
    text.replace(QLatin1String("&apos;"), QLatin1String("'"));
    text.replace(QLatin1String("&quot;"), QLatin1String("\""));
    text.replace(QLatin1String("&lt;"), QLatin1String("<"));
    text.replace(QLatin1String("&gt;"), QLatin1String(">"));
    text.replace(QLatin1String("&amp;"), QLatin1String("&"));
    return text;
}

} // namespace

QList<QList<PdfWord>> pdfWords(const QString &file)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), file, QStringLiteral("-")});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return {};
    const QString xml = QString::fromUtf8(p.readAllStandardOutput());

    static const QRegularExpression tag(QStringLiteral(
        R"re(<page |<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    QList<QList<PdfWord>> pages;
    for (auto it = tag.globalMatch(xml); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (m.captured(0).startsWith(QLatin1String("<page"))) {
            pages.append(QList<PdfWord>());
            continue;
        }
        if (pages.isEmpty())
            pages.append(QList<PdfWord>());
        pages.last().append({decodeEntities(m.captured(5)), m.captured(1).toDouble(),
                             m.captured(2).toDouble(), m.captured(3).toDouble(),
                             m.captured(4).toDouble()});
    }
    return pages;
}

QStringList missingInOrder(const QList<PdfWord> &words, const QList<Anchor> &anchors,
                           QList<PdfWord> *found)
{
    QStringList missing;
    const PdfWord *previous = nullptr;
    for (const Anchor &a : anchors) {
        const PdfWord *match = nullptr;
        for (const PdfWord &w : words) {
            if (w.text != a.text)
                continue;
            if (previous) {
                const double lineTolerance = (previous->yMax - previous->yMin) / 2;
                const bool below = w.yMin > previous->yMin + lineTolerance;
                const bool sameLine = qAbs(w.yMin - previous->yMin) < lineTolerance + 3 &&
                                      w.xMin >= previous->xMax - 0.5;
                if (a.place == Place::Below ? !below : !sameLine)
                    continue;
            }
            match = &w;
            break;
        }
        if (!match) {
            missing << a.text;
            continue;
        }
        if (found)
            found->append(*match);
        previous = match;
    }
    return missing;
}
