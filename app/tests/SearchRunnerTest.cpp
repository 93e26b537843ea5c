#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/SearchRunner.h"

namespace melvora {
namespace {

using namespace std::chrono_literals;

// What the searches did, in the order they did it.
class EventLog {
public:
    void Add(std::string event) {
        std::lock_guard lock(m_mutex);
        m_events.push_back(std::move(event));
    }
    std::vector<std::string> Events() {
        std::lock_guard lock(m_mutex);
        return m_events;
    }

private:
    std::mutex m_mutex;
    std::vector<std::string> m_events;
};

// A search that runs until it is cancelled, the way a search checks between its steps.
SearchRunner::Task RunUntilCancelled(EventLog& log, std::string name,
                                     std::promise<void>* started = nullptr) {
    return [&log, name, started](const std::shared_ptr<TaskSession>& session) {
        log.Add(name + " started");
        if (started != nullptr) {
            started->set_value();
        }
        while (!session->IsCancelled()) {
            std::this_thread::sleep_for(1ms);
        }
        log.Add(name + " ended");
    };
}

TEST(SearchRunnerTest, ANewSearchCancelsTheRunningOneAndStartsOnlyAfterItEnded) {
    EventLog log;
    std::promise<void> firstStarted;
    SearchRunner runner;
    ASSERT_TRUE(runner.Start(RunUntilCancelled(log, "first", &firstStarted)));
    firstStarted.get_future().wait();

    std::promise<void> secondStarted;
    ASSERT_TRUE(runner.Start(RunUntilCancelled(log, "second", &secondStarted)));
    secondStarted.get_future().wait();
    runner.CancelAndJoin();

    EXPECT_EQ(log.Events(), (std::vector<std::string>{"first started", "first ended",
                                                      "second started", "second ended"}));
}

TEST(SearchRunnerTest, ASearchSupersededWhileWaitingForItsPredecessorNeverRuns) {
    EventLog log;
    std::promise<void> firstStarted;
    std::promise<void> releaseFirst;
    std::shared_future<void> released = releaseFirst.get_future().share();
    SearchRunner runner;
    // The first search ignores its cancellation until the test lets it go, so the second is
    // certainly still waiting for it when the third arrives.
    runner.Start([&](const std::shared_ptr<TaskSession>&) {
        log.Add("first started");
        firstStarted.set_value();
        released.wait();
        log.Add("first ended");
    });
    firstStarted.get_future().wait();
    runner.Start(RunUntilCancelled(log, "second"));
    std::promise<void> thirdStarted;
    runner.Start(RunUntilCancelled(log, "third", &thirdStarted));
    releaseFirst.set_value();
    thirdStarted.get_future().wait();
    runner.CancelAndJoin();

    EXPECT_EQ(log.Events(), (std::vector<std::string>{"first started", "first ended",
                                                      "third started", "third ended"}));
}

TEST(SearchRunnerTest, CancelAndJoinWakesASearchWaitingForTheGuiThread) {
    SearchRunner runner;
    std::promise<void> waiting;
    std::promise<bool> callRan;
    runner.Start([&](const std::shared_ptr<TaskSession>& session) {
        // A call nobody will ever carry out, as when the GUI thread is busy joining us.
        TaskSession::Completion neverCompleted;
        waiting.set_value();
        callRan.set_value(session->Await(neverCompleted));
    });
    waiting.get_future().wait();
    runner.CancelAndJoin();
    EXPECT_FALSE(callRan.get_future().get());
}

TEST(SearchRunnerTest, TheRunnerEndsItsSearchWhenItGoes) {
    EventLog log;
    std::promise<void> started;
    {
        SearchRunner runner;
        runner.Start(RunUntilCancelled(log, "only", &started));
        started.get_future().wait();
    }
    EXPECT_EQ(log.Events(), (std::vector<std::string>{"only started", "only ended"}));
}

TEST(TaskSessionTest, AwaitReturnsOnceAnotherThreadCompletesTheCall) {
    TaskSession session;
    TaskSession::Completion completion;
    std::thread gui([&] { session.Complete(completion); });
    EXPECT_TRUE(session.Await(completion));
    gui.join();
}

TEST(TaskSessionTest, ACancelledSessionNoLongerWaits) {
    TaskSession session;
    session.Cancel();
    TaskSession::Completion neverCompleted;
    EXPECT_FALSE(session.Await(neverCompleted));
    EXPECT_TRUE(session.Token().IsCancelled());
}

}  // namespace
}  // namespace melvora
