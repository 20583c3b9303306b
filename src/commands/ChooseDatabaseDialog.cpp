#include "commands/ChooseDatabaseDialog.h"

#include "commands/DatabaseChoice.h"
#include "platform/Dialogs.h"
#include "platform/MousePointer.h"
#include "records/PostgresBackend.h"
#include "records/ServerAddress.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace
{

const char *const Title = "Choose Database";
const char *const FileChoice = "A &file on this computer";
const char *const ServerChoice = "A shared &server";
const char *const BrowseCaption = "B&rowse...";
const char *const BrowseTitle = "Choose the Case Database File";
const char *const FileFilter = "Case databases (*.db *.sqlite);;All files (*)";
const char *const TestCaption = "&Test Connection";
const char *const NoFile = "Give the path of the case database file.";
const char *const OptionsHint = "e.g. sslmode=require";
const char *const Unreadable = "The server's address %1 cannot be read (%2); fill in its parts "
                               "again.";
const char *const ServerInFileBox = "That is a server's address, not a file: choose \"A shared "
                                    "server\" and fill in its parts.";

// The server boxes: object name, caption.
const struct {
    const char *name;
    const char *caption;
} ServerBoxes[] = {
    {"txtHost", "&Host:"},
    {"txtPort", "P&ort:"},
    {"txtDatabase", "&Database:"},
    {"txtUser", "&User:"},
    {"txtOptions", "&More options:"},
};

} // namespace

ChooseDatabaseDialog::ChooseDatabaseDialog(const QString &current, const QString &notice,
                                           QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ChooseDatabaseDialog"));
    setWindowTitle(QString::fromUtf8(Title));
    auto *layout = new QVBoxLayout(this);
    if (!notice.isEmpty()) {
        auto *label = new QLabel(notice, this);
        label->setObjectName(QStringLiteral("lblNotice"));
        label->setWordWrap(true);
        layout->addWidget(label);
    }

    m_file = new QRadioButton(QString::fromUtf8(FileChoice), this);
    m_file->setObjectName(QStringLiteral("optFile"));
    layout->addWidget(m_file);
    auto *fileRow = new QHBoxLayout;
    m_path = new QLineEdit(this);
    m_path->setObjectName(QStringLiteral("txtPath"));
    m_path->setMinimumWidth(320);
    m_browse = new QPushButton(QString::fromUtf8(BrowseCaption), this);
    m_browse->setObjectName(QStringLiteral("cmdBrowse"));
    fileRow->addSpacing(20);
    fileRow->addWidget(m_path, 1);
    fileRow->addWidget(m_browse);
    layout->addLayout(fileRow);

    m_server = new QRadioButton(QString::fromUtf8(ServerChoice), this);
    m_server->setObjectName(QStringLiteral("optServer"));
    layout->addWidget(m_server);
    auto *form = new QFormLayout;
    form->setContentsMargins(20, 0, 0, 0);
    QLineEdit **boxes[] = {&m_host, &m_port, &m_database, &m_user, &m_options};
    for (int i = 0; i < 5; ++i) {
        *boxes[i] = new QLineEdit(this);
        (*boxes[i])->setObjectName(QString::fromLatin1(ServerBoxes[i].name));
        form->addRow(QString::fromUtf8(ServerBoxes[i].caption), *boxes[i]);
    }
    m_port->setValidator(new QIntValidator(1, 65535, m_port));
    m_port->setPlaceholderText(QStringLiteral("5432"));
    m_options->setPlaceholderText(QString::fromUtf8(OptionsHint));
    layout->addLayout(form);

    auto *testRow = new QHBoxLayout;
    auto *testButton = new QPushButton(QString::fromUtf8(TestCaption), this);
    testButton->setObjectName(QStringLiteral("cmdTest"));
    testRow->addWidget(testButton);
    testRow->addStretch();
    layout->addLayout(testRow);
    m_result = new QLabel(this);
    m_result->setObjectName(QStringLiteral("lblResult"));
    m_result->setWordWrap(true);
    m_result->setTextFormat(Qt::PlainText);
    layout->addWidget(m_result);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &ChooseDatabaseDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_browse, &QPushButton::clicked, this, &ChooseDatabaseDialog::browse);
    connect(testButton, &QPushButton::clicked, this, &ChooseDatabaseDialog::test);
    connect(m_file, &QRadioButton::toggled, this, &ChooseDatabaseDialog::follow);
    setLocation(current);
}

void ChooseDatabaseDialog::setLocation(const QString &location)
{
    const bool server = PostgresBackend::isServerLocation(location);
    std::optional<ServerAddress> address;
    QString error;
    // An address libpq refuses (a '%' in the password, say) is read again
    // without its password; what still cannot be read is said, and never
    // lands in the file box, where OK would keep it.
    if (server && !(address = ServerAddress::fromLocation(location, &error)))
        address = ServerAddress::fromLocation(ServerAddress::withoutPassword(location));
    if (address) {
        m_host->setText(address->host);
        m_port->setText(address->port);
        m_database->setText(address->database);
        m_user->setText(address->user);
        m_options->setText(address->options);
    } else if (!server) {
        m_path->setText(location);
    }
    if (server && !error.isEmpty())
        m_result->setText(QString::fromUtf8(Unreadable)
                              .arg(ServerAddress::withoutPassword(location),
                                   ServerAddress::hidingPassword(error, location)));
    (server ? m_server : m_file)->setChecked(true);
    follow();
}

// Only the boxes of the choice made take input.
void ChooseDatabaseDialog::follow()
{
    const bool file = m_file->isChecked();
    m_path->setEnabled(file);
    m_browse->setEnabled(file);
    for (QLineEdit *box : {m_host, m_port, m_database, m_user, m_options})
        box->setEnabled(!file);
}

QString ChooseDatabaseDialog::location(QString *error) const
{
    if (m_file->isChecked()) {
        const QString path = m_path->text().trimmed();
        if (path.isEmpty() && error)
            *error = QString::fromUtf8(NoFile);
        // Kept as a file path, a server's address (and any password in it)
        // would go into the settings.
        if (PostgresBackend::isServerLocation(path)) {
            if (error)
                *error = QString::fromUtf8(ServerInFileBox);
            return {};
        }
        // A file whose name starts like a server's address would be taken
        // for one at the next start.
        return path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
    }
    ServerAddress address{m_host->text().trimmed(), m_port->text().trimmed(), m_database->text(),
                          m_user->text(), m_options->text()};
    return address.toUri(error);
}

QString ChooseDatabaseDialog::testResult() const
{
    return m_result->text();
}

void ChooseDatabaseDialog::browse()
{
    const QString folder = QFileInfo(m_path->text()).absolutePath();
    const QString picked = Dialogs::instance().openFileName(QString::fromUtf8(BrowseTitle), folder,
                                                            QString::fromUtf8(FileFilter));
    if (!picked.isEmpty())
        m_path->setText(picked);
}

void ChooseDatabaseDialog::test()
{
    QString error;
    const QString chosen = location(&error);
    if (chosen.isEmpty()) {
        m_result->setText(error);
        return;
    }
    m_result->clear();
    MousePointer::set(MousePointer::Hourglass);
    const QString said = DatabaseChoice::testConnection(chosen);
    MousePointer::set(MousePointer::Default);
    m_result->setText(said);
}

void ChooseDatabaseDialog::accept()
{
    QString error;
    if (location(&error).isEmpty()) {
        Dialogs::instance().message(error, Dialogs::Buttons::Ok, Dialogs::Icon::Exclamation);
        return;
    }
    QDialog::accept();
}
