#pragma once

#include <QString>
#include <atomic>
#include <memory>

class QThread;

// A TCP relay in front of the PostgreSQL test server's socket that can break
// a connection at the one moment a network can and a test cannot otherwise
// reach: around a COMMIT. Armed, it cuts the next connection that sends
// COMMIT, either before the server gets it (nothing is stored) or once the
// server has answered it, swallowing the answer (stored, but the program
// cannot know). Runs on a thread of its own: the program waits for its
// answer on the test's thread.
class CutProxy
{
  public:
    enum class Cut { None, BeforeCommit, AfterCommit };

    // Relays to the server's Unix socket `socketPath`.
    explicit CutProxy(const QString &socketPath);
    ~CutProxy();
    CutProxy(const CutProxy &) = delete;
    CutProxy &operator=(const CutProxy &) = delete;

    // The port on 127.0.0.1 it listens on; 0 when it could not listen.
    quint16 port() const { return m_port; }
    // `location` (a postgresql:// URI) reached through the relay instead.
    QString through(const QString &location) const;

    // The next COMMIT is cut so; one cut per arming.
    void arm(Cut cut) { m_armed = int(cut); }
    // Whether the armed cut happened since arming.
    bool cutDone() const { return m_armed.load() == int(Cut::None); }

  private:
    class Relay;
    std::unique_ptr<QThread> m_thread;
    Relay *m_relay = nullptr;
    quint16 m_port = 0;
    std::atomic<int> m_armed{int(Cut::None)};
};
