#include "commands/ExportChoiceDialog.h"

#include "session/CaseShapes.h"
#include "session/SafeCommandTexts.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

using namespace SafeCommandTexts;

ExportChoiceDialog::ExportChoiceDialog(const QString &current, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ExportChoiceDialog"));
    setWindowTitle(QString::fromUtf8(ExportChoiceTitle));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QString::fromUtf8(ExportChoicePrompt), this));
    const QStringList names = CaseShapes::tables();
    for (int i = 0; i < 3; ++i) {
        m_choices[i] = new QRadioButton(i < 2 ? names.at(i) : QString::fromUtf8(BothTables), this);
        layout->addWidget(m_choices[i]);
    }
    choose(std::max<int>(0, int(names.indexOf(current))));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

void ExportChoiceDialog::choose(int which)
{
    m_choices[std::clamp(which, 0, 2)]->setChecked(true);
}

QStringList ExportChoiceDialog::tables() const
{
    const QStringList names = CaseShapes::tables();
    if (m_choices[2]->isChecked())
        return names;
    return {names.at(m_choices[1]->isChecked() ? 1 : 0)};
}
