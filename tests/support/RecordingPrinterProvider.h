#pragma once

#include "print/PrinterProvider.h"
#include "support/RecordingSurface.h"

#include <QList>
#include <functional>

// Hands out RecordingSurfaces and keeps the documents drawn on them, for
// tests of the print jobs. It can play a printer that cannot be opened, that
// refuses the copies setting, whose document cannot be delivered, or a system
// without a printer whose documents become files.
class RecordingPrinterProvider : public PrinterProvider
{
  public:
    struct Opened {
        PrintSide side;
        QString fileNumber;
        std::shared_ptr<RecordedDocument> document;
    };

    std::unique_ptr<PrinterSurface> open(PrintSide side, const QString &fileNumber) override;
    QString lastError() const override { return m_lastError; }

    void setOpenFailure(const QString &cause) { m_openFailure = cause; }
    void setRefuseCopies(bool refuse) { m_refuseCopies = refuse; }
    void setEndDocFailure(const QString &cause) { m_endDocFailure = cause; }
    // Plays a system without a printer, whose documents become this file.
    void setSavesToFile(const QString &path) { m_savedFile = path; }
    // Runs on every new surface, e.g. to set its metrics.
    void setSetUp(std::function<void(RecordingSurface &)> setUp) { m_setUp = std::move(setUp); }

    const QList<Opened> &opened() const { return m_opened; }
    int openAttempts() const { return m_attempts; }

  private:
    QList<Opened> m_opened;
    int m_attempts = 0;
    QString m_openFailure;
    bool m_refuseCopies = false;
    QString m_endDocFailure;
    QString m_savedFile;
    std::function<void(RecordingSurface &)> m_setUp;
    QString m_lastError;
};
