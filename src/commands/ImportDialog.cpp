#include "commands/ImportDialog.h"

#include "safekeeping/SafekeepingTexts.h"
#include "session/CaseShapes.h"
#include "session/SafeCommandTexts.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

using namespace SafeCommandTexts;

namespace
{

QString listed(const QStringList &names)
{
    return names.isEmpty() ? QString::fromUtf8(NoneText) : names.join(QStringLiteral(", "));
}

} // namespace

ImportDialog::ImportDialog(const QString &csvPath, const QString &table, QWidget *parent)
    : QDialog(parent), m_path(csvPath)
{
    setObjectName(QStringLiteral("ImportDialog"));
    setWindowTitle(
        QStringLiteral("%1 %2").arg(QString::fromUtf8(ImportTitle), QFileInfo(csvPath).fileName()));
    m_table = new QComboBox(this);
    m_table->setObjectName(QStringLiteral("table"));
    m_table->addItems(CaseShapes::tables());
    m_rows = new QTableWidget(this);
    m_rows->setObjectName(QStringLiteral("preview"));
    m_rows->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_match = new QLabel(this);
    m_match->setObjectName(QStringLiteral("match"));
    m_match->setWordWrap(true);
    m_match->setTextFormat(Qt::PlainText);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    m_import = buttons->addButton(QString::fromUtf8(ImportButton), QDialogButtonBox::AcceptRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *form = new QFormLayout;
    form->addRow(QString::fromUtf8(ImportIntoPrompt), m_table);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_rows);
    layout->addWidget(m_match);
    layout->addWidget(buttons);
    resize(640, 380);

    setTable(table);
    readPreview();
    connect(m_table, &QComboBox::currentIndexChanged, this, &ImportDialog::readPreview);
}

QString ImportDialog::table() const
{
    return m_table->currentText();
}

void ImportDialog::setTable(const QString &table)
{
    const int at = m_table->findText(table, Qt::MatchFixedString);
    if (at >= 0)
        m_table->setCurrentIndex(at);
}

void ImportDialog::readPreview()
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_preview = {};
        m_preview.error =
            QString::fromUtf8(SafekeepingTexts::ImportUnreadable).arg(file.errorString());
    } else {
        m_preview = CsvImport(CaseShapes::importColumns(table())).preview(file, PreviewRows);
    }
    m_rows->clear();
    m_rows->setColumnCount(int(m_preview.matched.size()));
    m_rows->setHorizontalHeaderLabels(m_preview.matched);
    m_rows->setRowCount(int(m_preview.rows.size()));
    for (int r = 0; r < m_preview.rows.size(); ++r) {
        const QVariantList &values = m_preview.rows.at(r);
        for (int c = 0; c < values.size(); ++c)
            m_rows->setItem(r, c, new QTableWidgetItem(values.at(c).toString()));
    }
    QStringList lines{QString::fromUtf8(ImportMatched).arg(listed(m_preview.matched)),
                      QString::fromUtf8(ImportIgnored).arg(listed(m_preview.ignored)),
                      QString::fromUtf8(ImportMissing).arg(listed(m_preview.missing))};
    if (!m_preview.ok)
        lines.prepend(m_preview.error);
    m_match->setText(lines.join(QLatin1Char('\n')));
    m_import->setEnabled(m_preview.ok);
}
