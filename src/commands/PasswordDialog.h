#pragma once

#include <QDialog>

class QLineEdit;

// Asks for a shared database's password, hidden as it is typed. Shows the
// server's reason when it refused the one given before.
class PasswordDialog : public QDialog
{
    Q_OBJECT
  public:
    PasswordDialog(const QString &server, const QString &reason, bool refused,
                   QWidget *parent = nullptr);

    QString password() const;
    void setPassword(const QString &password);

  private:
    QLineEdit *m_password = nullptr;
};
