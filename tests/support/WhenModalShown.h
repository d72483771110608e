#pragma once

#include <QApplication>
#include <QTimer>
#include <functional>

// Runs work on the window of type T once it is up as the modal window (whose exec() holds the
// test until it closes). It stops looking when it goes, at the latest when the test function
// ends, so work never runs in another test on what this one left behind.
template<typename T> class WhenModalShown
{
public:
    explicit WhenModalShown(std::function<void(T *)> work)
        : m_work(std::move(work))
    {
        m_poll.setInterval(10);
        QObject::connect(&m_poll, &QTimer::timeout, &m_poll, [this] {
            auto *window = qobject_cast<T *>(QApplication::activeModalWidget());
            if (!window)
                return;
            m_poll.stop();
            m_seen = true;
            m_work(window);
        });
        m_poll.start();
    }
    WhenModalShown(const WhenModalShown &) = delete;
    WhenModalShown &operator=(const WhenModalShown &) = delete;

    bool seen() const { return m_seen; }

private:
    std::function<void(T *)> m_work;
    QTimer m_poll;
    bool m_seen = false;
};
