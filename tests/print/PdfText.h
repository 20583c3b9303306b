#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The words of a PDF as `pdftotext -bbox` (poppler-utils) finds them, in
// points from the page's top left.
struct PdfWord {
    QString text;
    double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
};

// One list of words per page; empty when the file cannot be read.
QList<QList<PdfWord>> pdfWords(const QString &file);

// How a word stands to the one found before it.
enum class Place { Below, RightOnSameLine };

struct Anchor {
    QString text;
    Place place;
};

// Finds each anchor in turn, the first word that stands as required to the
// previous one found, and returns what could not be found; empty when the
// page holds them all in that order.
QStringList missingInOrder(const QList<PdfWord> &words, const QList<Anchor> &anchors,
                           QList<PdfWord> *found = nullptr);
