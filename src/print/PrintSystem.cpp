#include "print/PrintSystem.h"

#include "platform/BackgroundJob.h"
#include "print/CupsQueue.h"

#include <QApplication>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace PrintSystem
{

namespace
{

using namespace std::chrono_literals;

const char *const Waiting = "Waiting for the print system to answer...";

// Most calls are answered within this time: no dialog then.
constexpr auto quickAnswer = 50ms;
constexpr auto lookAgain = 50ms;

struct Task {
    Call call;
    std::atomic<bool> cancel{false};
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    bool ran = false; // done, and not left out

    bool waitFor(std::chrono::milliseconds time)
    {
        std::unique_lock lock(mutex);
        return ended.wait_for(lock, time, [this] { return done; });
    }
};

class Worker
{
  public:
    // Never destroyed: at the program's end the thread may still be waiting
    // for a print system that does not answer, and must find its queue.
    static Worker &instance()
    {
        static Worker *worker = new Worker;
        return *worker;
    }

    void post(std::shared_ptr<Task> task)
    {
        {
            const std::lock_guard lock(m_mutex);
            m_queue.push_back(std::move(task));
        }
        m_posted.notify_one();
    }

  private:
    Worker()
    {
        std::thread([this] { loop(); }).detach();
    }

    void loop()
    {
        for (;;) {
            std::shared_ptr<Task> task;
            {
                std::unique_lock lock(m_mutex);
                m_posted.wait(lock, [this] { return !m_queue.empty(); });
                task = std::move(m_queue.front());
                m_queue.pop_front();
            }
            // A call given up before its turn came is left out.
            const bool runs = !task->cancel;
            if (runs) {
                CupsQueue::keepPasswordQuestionsOffThisThread();
                try {
                    task->call(task->cancel);
                } catch (...) {
                    // A call reports through what it owns; the thread goes on.
                }
            }
            // What the call held (a spool file, say) goes before anyone
            // hears that it ended.
            task->call = nullptr;
            {
                const std::lock_guard lock(task->mutex);
                task->done = true;
                task->ran = runs;
            }
            task->ended.notify_all();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_posted;
    std::deque<std::shared_ptr<Task>> m_queue;
};

} // namespace

bool run(Call call)
{
    auto task = std::make_shared<Task>();
    task->call = std::move(call);
    Worker::instance().post(task);
    if (task->waitFor(quickAnswer))
        return true; // nobody cancelled: it ran
    BackgroundJob::run(
        QApplication::activeWindow(), [](qint64, qint64) { return QString::fromUtf8(Waiting); },
        true,
        [task](const std::atomic<bool> &cancel, BackgroundJob::Progress &) {
            while (!task->waitFor(lookAgain)) {
                if (cancel) {
                    task->cancel = true;
                    return;
                }
            }
        });
    // An answer that came with the Cancel counts: the job may have gone out.
    if (!task->waitFor(0ms))
        return false;
    const std::lock_guard lock(task->mutex);
    return task->ran;
}

} // namespace PrintSystem
