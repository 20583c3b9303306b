#include "caseform/TextBoxBinding.h"

#include "platform/TextBox.h"

TextBoxBinding::TextBoxBinding(TextBox *box) : BoundBox(box), m_box(box)
{
    connect(box, &TextBox::changed, this, &BoundBox::changed);
}

TextBoxBinding *TextBoxBinding::of(TextBox *box)
{
    if (auto *existing = box->findChild<TextBoxBinding *>(QString(), Qt::FindDirectChildrenOnly))
        return existing;
    return new TextBoxBinding(box);
}

QString TextBoxBinding::text() const
{
    return m_box->text();
}

void TextBoxBinding::setText(const QString &text)
{
    m_box->setText(text);
}
