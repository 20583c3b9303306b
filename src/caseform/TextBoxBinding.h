#pragma once

#include "caseform/BoundBox.h"

class TextBox;

// A text box as a record binder sees it. It lives as long as its box.
class TextBoxBinding : public BoundBox
{
    Q_OBJECT
  public:
    // The box's one binding, made on first use.
    static TextBoxBinding *of(TextBox *box);

    QString text() const override;
    void setText(const QString &text) override;

  private:
    explicit TextBoxBinding(TextBox *box);

    TextBox *m_box;
};
