#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// File > Choose Database: a file on this computer or a shared server
// (host, port, database, user and further libpq settings), a connection
// test, OK and Cancel. OK is taken only for a usable choice.
class ChooseDatabaseDialog : public QDialog
{
    Q_OBJECT
  public:
    // `current`: the database in use, shown at first; `notice`, when not
    // empty, says why the choice does not change this session.
    ChooseDatabaseDialog(const QString &current, const QString &notice, QWidget *parent = nullptr);

    // The chosen file's path or the server's postgresql:// URI; empty, with
    // `error` set, when the boxes do not make one.
    QString location(QString *error = nullptr) const;
    void setLocation(const QString &location);
    // What the last connection test said.
    QString testResult() const;

    void accept() override;

  private:
    void browse();
    void test();
    void follow();

    QRadioButton *m_file = nullptr;
    QRadioButton *m_server = nullptr;
    QLineEdit *m_path = nullptr;
    QPushButton *m_browse = nullptr;
    QLineEdit *m_host = nullptr;
    QLineEdit *m_port = nullptr;
    QLineEdit *m_database = nullptr;
    QLineEdit *m_user = nullptr;
    QLineEdit *m_options = nullptr;
    QLabel *m_result = nullptr;
};
