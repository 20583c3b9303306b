#pragma once

#include <QComboBox>
#include <QString>
#include <cstddef>

// What the deadline windows build their boxes from.
namespace DeadlineWidgets
{

// A drop-down list of fixed texts, in their order: the index is the value.
template <std::size_t N> QComboBox *choices(const char *const (&texts)[N], QWidget *parent)
{
    auto *box = new QComboBox(parent);
    for (const char *t : texts)
        box->addItem(QString::fromUtf8(t));
    return box;
}

} // namespace DeadlineWidgets
