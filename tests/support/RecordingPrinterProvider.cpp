#include "support/RecordingPrinterProvider.h"

std::unique_ptr<PrinterSurface> RecordingPrinterProvider::open(PrintSide side,
                                                               const QString &fileNumber)
{
    ++m_attempts;
    m_lastError = m_openFailure;
    if (!m_openFailure.isEmpty())
        return nullptr;
    auto surface = std::make_unique<RecordingSurface>();
    surface->setRefuseCopies(m_refuseCopies);
    surface->setEndDocFailure(m_endDocFailure);
    surface->setSavedFile(m_savedFile);
    if (m_setUp)
        m_setUp(*surface);
    m_opened.append({side, fileNumber, surface->sharedDocument()});
    return surface;
}
