#pragma once

#include "print/FormLogo.h"
#include "print/PrintJobs.h"

#include <QStringList>

// The main window's boxes as the print jobs see them: every field filled,
// one copy of each side, and the status bar texts kept in order.
class FakeMainWindow : public PrintHost
{
  public:
    FakeMainWindow()
    {
        for (int i = 0; i < 22; ++i)
            fields << QStringLiteral("F%1").arg(i);
        fields[0] = QStringLiteral("Pat Doe");
        fields[3] = QStringLiteral("000123");
    }
    QString fieldText(int index) const override { return fields.value(index); }
    QString copiesText() const override { return copies; }
    QString backCopiesText() const override { return backCopies; }
    QString caseFactsText() const override { return caseFacts; }
    QImage logo() const override { return formLogo(); }
    void setStatusText(const QString &text) override { status << text; }

    QStringList fields;
    QString copies = QStringLiteral("1");
    QString backCopies = QStringLiteral("1");
    QString caseFacts = QStringLiteral("Sent home early.");
    QStringList status;
};
