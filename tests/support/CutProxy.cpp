#include "support/CutProxy.h"

#include <QLocalSocket>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QtEndian>

namespace
{

constexpr quint32 ProtocolV3 = 196608;

// One program's connection: the client's bytes read as the protocol frames
// them, to find its COMMIT; everything else passed on unchanged.
class Pipe : public QObject
{
  public:
    Pipe(QTcpSocket *client, const QString &socketPath, std::atomic<int> &armed)
        : m_client(client), m_armed(armed)
    {
        client->setParent(this);
        m_server = new QLocalSocket(this);
        connect(m_server, &QLocalSocket::readyRead, this, &Pipe::fromServer);
        connect(m_server, &QLocalSocket::disconnected, this, &Pipe::end);
        connect(m_client, &QTcpSocket::readyRead, this, &Pipe::fromClient);
        connect(m_client, &QTcpSocket::disconnected, this, &Pipe::end);
        m_server->connectToServer(socketPath);
        if (!m_server->waitForConnected(5000))
            end();
    }

  private:
    void fromClient()
    {
        m_framing += m_client->readAll();
        for (;;) {
            const qsizetype head = m_started ? 5 : 4;
            if (m_framing.size() < head)
                return;
            const quint32 length = qFromBigEndian<quint32>(m_framing.constData() + head - 4);
            const qsizetype whole = head - 4 + qsizetype(length);
            if (m_framing.size() < whole)
                return;
            const QByteArray message = m_framing.left(whole);
            m_framing.remove(0, whole);
            if (!m_started) {
                // An SSL or GSS request is answered 'N' and followed by the
                // startup message proper.
                m_started = message.size() >= 8 &&
                            qFromBigEndian<quint32>(message.constData() + 4) == ProtocolV3;
            } else if (message.at(0) == 'Q' &&
                       message.mid(5).trimmed().toUpper().startsWith("COMMIT")) {
                const int cut = m_armed.exchange(int(CutProxy::Cut::None));
                if (cut == int(CutProxy::Cut::BeforeCommit)) {
                    end();
                    return;
                }
                m_swallow = cut == int(CutProxy::Cut::AfterCommit);
            }
            m_server->write(message);
            m_server->flush();
        }
    }

    void fromServer()
    {
        const QByteArray bytes = m_server->readAll();
        if (!m_swallow) {
            m_client->write(bytes);
            return;
        }
        // The server has answered the COMMIT: it happened. The program
        // never hears so.
        end();
    }

    void end()
    {
        if (m_ended)
            return;
        m_ended = true;
        m_client->abort();
        m_server->abort();
        deleteLater();
    }

    QTcpSocket *m_client;
    QLocalSocket *m_server;
    std::atomic<int> &m_armed;
    QByteArray m_framing;
    bool m_started = false;
    bool m_swallow = false;
    bool m_ended = false;
};

} // namespace

class CutProxy::Relay : public QTcpServer
{
  public:
    Relay(const QString &socketPath, std::atomic<int> &armed)
        : m_socketPath(socketPath), m_armed(armed)
    {
    }

  protected:
    void incomingConnection(qintptr descriptor) override
    {
        auto *client = new QTcpSocket;
        client->setSocketDescriptor(descriptor);
        new Pipe(client, m_socketPath, m_armed);
    }

  private:
    QString m_socketPath;
    std::atomic<int> &m_armed;
};

CutProxy::CutProxy(const QString &socketPath) : m_thread(std::make_unique<QThread>())
{
    m_relay = new Relay(socketPath, m_armed);
    m_relay->moveToThread(m_thread.get());
    m_thread->start();
    // Listening is done on the relay's own thread.
    QMetaObject::invokeMethod(
        m_relay,
        [this] { m_port = m_relay->listen(QHostAddress::LocalHost) ? m_relay->serverPort() : 0; },
        Qt::BlockingQueuedConnection);
}

CutProxy::~CutProxy()
{
    QMetaObject::invokeMethod(
        m_relay, [this] { delete m_relay; }, Qt::BlockingQueuedConnection);
    m_thread->quit();
    m_thread->wait();
}

QString CutProxy::through(const QString &location) const
{
    QString uri = location;
    uri.replace(QRegularExpression(QStringLiteral("([?&])host=[^&]*")),
                QStringLiteral("\\1host=127.0.0.1"));
    uri.replace(QRegularExpression(QStringLiteral("([?&])port=[^&]*")),
                QStringLiteral("\\1port=") + QString::number(m_port));
    return uri + QStringLiteral("&sslmode=disable&gssencmode=disable");
}
