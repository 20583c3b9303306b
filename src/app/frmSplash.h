#pragma once

#include <QWidget>

class QLabel;

// The window shown while the main window loads.
class frmSplash : public QWidget
{
    Q_OBJECT
  public:
    explicit frmSplash(QWidget *parent = nullptr);
    void Form_Load();

    QLabel *lblProductName = nullptr;
    QLabel *lblPlatform = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *lblCompanyProduct = nullptr;
    QLabel *lblCredit = nullptr;
};
