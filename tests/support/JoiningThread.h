#pragma once

#include <thread>
#include <utility>

// A helper thread for a test that is joined however the test function ends: a failed QVERIFY
// returns early, and a std::thread still running at that point would end the whole program.
class JoiningThread
{
public:
    template<typename Work>
    explicit JoiningThread(Work &&work)
        : m_thread(std::forward<Work>(work))
    { }
    ~JoiningThread() { join(); }
    JoiningThread(const JoiningThread &) = delete;
    JoiningThread &operator=(const JoiningThread &) = delete;

    void join()
    {
        if (m_thread.joinable())
            m_thread.join();
    }

private:
    std::thread m_thread;
};
