#include "commands/PasswordDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace
{
const char *const Title = "Password";
const char *const Wanted = "The shared database %1 asks for a password.";
const char *const Refused = "The shared database %1 did not take the password.";
const char *const Prompt = "&Password:";
} // namespace

PasswordDialog::PasswordDialog(const QString &server, const QString &reason, bool refused,
                               QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("PasswordDialog"));
    setWindowTitle(QString::fromUtf8(Title));
    setMinimumWidth(360);
    auto *layout = new QVBoxLayout(this);
    auto *what = new QLabel(QString::fromUtf8(refused ? Refused : Wanted).arg(server), this);
    what->setObjectName(QStringLiteral("lblPrompt"));
    what->setWordWrap(true);
    layout->addWidget(what);
    if (!reason.isEmpty()) {
        auto *why = new QLabel(reason, this);
        why->setObjectName(QStringLiteral("lblReason"));
        why->setWordWrap(true);
        why->setTextFormat(Qt::PlainText);
        layout->addWidget(why);
    }
    auto *label = new QLabel(QString::fromUtf8(Prompt), this);
    m_password = new QLineEdit(this);
    m_password->setObjectName(QStringLiteral("txtPassword"));
    m_password->setEchoMode(QLineEdit::Password);
    label->setBuddy(m_password);
    layout->addWidget(label);
    layout->addWidget(m_password);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    m_password->setFocus(Qt::OtherFocusReason);
}

QString PasswordDialog::password() const
{
    return m_password->text();
}

void PasswordDialog::setPassword(const QString &password)
{
    m_password->setText(password);
}
