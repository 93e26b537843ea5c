#include <gtest/gtest.h>

#include <future>

#include "app/DownloadRunner.h"

namespace melvora {
namespace {

TEST(DownloadRunner, RefusesASecondDownloadWhileOneRuns) {
    DownloadRunner runner;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::promise<void> started;
    ASSERT_TRUE(runner.TryStart([&](const std::shared_ptr<TaskSession>&) {
        started.set_value();
        released.wait();
    }));
    started.get_future().wait();
    int secondRuns = 0;
    EXPECT_FALSE(runner.TryStart([&](const std::shared_ptr<TaskSession>&) { ++secondRuns; }));
    EXPECT_TRUE(runner.IsRunning());
    release.set_value();
    runner.CancelAndJoin();
    EXPECT_EQ(secondRuns, 0);
}

TEST(DownloadRunner, StartsTheNextOnceTheFirstHasEnded) {
    DownloadRunner runner;
    std::promise<void> firstDone;
    ASSERT_TRUE(
        runner.TryStart([&](const std::shared_ptr<TaskSession>&) { firstDone.set_value(); }));
    firstDone.get_future().wait();
    while (runner.IsRunning()) {
        std::this_thread::yield();
    }
    std::promise<int> second;
    ASSERT_TRUE(runner.TryStart([&](const std::shared_ptr<TaskSession>&) { second.set_value(2); }));
    EXPECT_EQ(second.get_future().get(), 2);
}

TEST(DownloadRunner, CancelAndJoinReleasesAWaitingDownload) {
    DownloadRunner runner;
    std::promise<void> started;
    bool sawCancel = false;
    ASSERT_TRUE(runner.TryStart([&](const std::shared_ptr<TaskSession>& session) {
        TaskSession::Completion neverCompleted;
        started.set_value();
        // Like a download waiting for a GUI thread that is busy closing the window.
        sawCancel = !session->Await(neverCompleted);
    }));
    started.get_future().wait();
    runner.CancelAndJoin();
    EXPECT_TRUE(sawCancel);
    EXPECT_FALSE(runner.IsRunning());
}

}  // namespace
}  // namespace melvora
