#include "find/FindIndexProgress.h"

#include "find/FindTexts.h"
#include "records/CaseDatabase.h"
#include "records/FindIndex.h"

#include <QLabel>
#include <QStatusBar>

std::unique_ptr<FindIndexProgress> FindIndexProgress::startFor(const CaseDatabase &db,
                                                               QStatusBar *bar)
{
    if (!db.isOpen() || db.filePath().isEmpty() || FindIndex::isPresent(db.connection()))
        return nullptr;
    return std::make_unique<FindIndexProgress>(db.filePath(), bar);
}

FindIndexProgress::FindIndexProgress(const QString &path, QStatusBar *bar) : m_build(path)
{
    m_label = new QLabel(QString::fromUtf8(FindTexts::IndexStarting), bar);
    m_label->setObjectName(QStringLiteral("lblFindIndex"));
    m_label->setFrameShape(QFrame::Panel);
    m_label->setFrameShadow(QFrame::Sunken);
    if (bar)
        bar->addPermanentWidget(m_label);
    connect(&m_build, &FindIndexBuild::progressed, this, [this](qint64 done, qint64 total) {
        if (m_label)
            m_label->setText(QString::fromUtf8(FindTexts::IndexProgress)
                                 .arg(total > 0 ? 100 * done / total : 0));
    });
    connect(&m_build, &FindIndexBuild::finished, this, [this] {
        m_finished = true;
        delete m_label;
    });
    connect(&m_build, &FindIndexBuild::failed, this, [this](const QString &why) {
        if (m_label) {
            m_label->setText(QString::fromUtf8(FindTexts::IndexFailed));
            m_label->setToolTip(why);
        }
    });
    m_build.start();
}

FindIndexProgress::~FindIndexProgress()
{
    m_build.stop();
    delete m_label;
}

QString FindIndexProgress::text() const
{
    return m_label ? m_label->text() : QString();
}
