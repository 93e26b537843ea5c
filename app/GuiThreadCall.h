#pragma once

#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <memory>
#include <utility>

#include "app/TaskSession.h"

namespace melvora {

// What a posted call hands back; `result` is written before the call is marked complete.
template <typename Result>
struct PostedCall {
    TaskSession::Completion completion;
    Result result{};
};

// Runs `call()` on the thread of `guiObject` and returns its result. On that thread it runs at
// once. From another thread it is posted and the caller waits until it has run, or until its
// session is cancelled: then `cancelled` comes back at once, and the GUI thread, which checks
// the session before it runs the call, skips it. Everything the call needs is captured by value,
// because a cancelled caller returns and leaves its stack while the posted call may still be
// queued.
template <typename Result, typename Call>
Result CallOnGuiThread(QObject* guiObject, const std::shared_ptr<TaskSession>& session, Call call,
                       Result cancelled) {
    if (session->IsCancelled()) {
        return cancelled;
    }
    if (QThread::currentThread() == guiObject->thread()) {
        return call();
    }
    auto posted = std::make_shared<PostedCall<Result>>();
    const bool queued = QMetaObject::invokeMethod(
        guiObject,
        [posted, session, call = std::move(call)] {
            if (session->IsCancelled()) {
                return;
            }
            posted->result = call();
            session->Complete(posted->completion);
        },
        Qt::QueuedConnection);
    if (!queued || !session->Await(posted->completion)) {
        return cancelled;
    }
    return posted->result;
}

}  // namespace melvora
