#pragma once
// Answers the application's alerts without a screen for the lifetime of the object: each alert
// is recorded in `alerts` and answered with the next of `answers`, then with the first button
// (1000) once they are used up. The real alerts come back when it goes.

#include "platform/Alerts.h"

#include <deque>
#include <vector>

namespace pelkotest {

class AlertAnswers
{
public:
    AlertAnswers()
    {
        platform::setAlertHook([this](const platform::AlertRequest &r) {
            alerts.push_back(r);
            if (answers.empty())
                return int(platform::AlertFirstButtonReturn);
            const int a = answers.front();
            answers.pop_front();
            return a;
        });
    }
    ~AlertAnswers() { platform::setAlertHook(nullptr); }
    AlertAnswers(const AlertAnswers &) = delete;
    AlertAnswers &operator=(const AlertAnswers &) = delete;

    std::vector<platform::AlertRequest> alerts;
    std::deque<int> answers;
};

} // namespace pelkotest
