#pragma once
// Drives a modal run from inside: the test's code runs on the run's window once it is up.

#include "platform/ModalRun.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>

namespace pelkotest {

// Runs fn inside the next modal run, on its window; a run that fn does not end is aborted, so
// a failing test does not hang.
inline void inRun(std::function<void(QWidget *)> fn)
{
    QTimer::singleShot(0, [fn] {
        QWidget *w = platform::currentModalWindow();
        ASSERT_NE(w, nullptr);
        QPointer<QWidget> guarded(w);
        QTimer::singleShot(30000, [guarded] {
            if (guarded && platform::isRunningModal(guarded)) {
                ADD_FAILURE() << "the run did not end";
                platform::stopModalWithCode(guarded, -2);
            }
        });
        fn(w);
    });
}

} // namespace pelkotest
