#include <gtest/gtest.h>

#include <thread>

#include "text/Cancellation.h"

namespace melvora {
namespace {

TEST(CancellationToken, RunsRegisteredCallbacksOnceWhenCancelled) {
    CancellationToken token;
    int calls = 0;
    const auto registration = token.OnCancel([&] { ++calls; });
    EXPECT_EQ(calls, 0);
    token.Cancel();
    token.Cancel();
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(token.IsCancelled());
}

TEST(CancellationToken, RegisteringOnACancelledTokenRunsAtOnce) {
    CancellationToken token;
    token.Cancel();
    bool ran = false;
    const auto registration = token.OnCancel([&] { ran = true; });
    EXPECT_TRUE(ran);
}

TEST(CancellationToken, DroppedRegistrationIsNeverRun) {
    CancellationToken token;
    bool ran = false;
    {
        const auto registration = token.OnCancel([&] { ran = true; });
    }
    token.Cancel();
    EXPECT_FALSE(ran);
}

TEST(CancellationToken, CancelFromAnotherThreadReachesTheCallback) {
    CancellationToken token;
    std::atomic<bool> ran{false};
    const auto registration = token.OnCancel([&] { ran = true; });
    std::thread([&] { token.Cancel(); }).join();
    EXPECT_TRUE(ran);
}

}  // namespace
}  // namespace melvora
