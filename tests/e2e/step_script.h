#pragma once
// Drives a running modal dialog from its own thread: a list of steps, each a condition to wait
// for and an action to take then, checked every few milliseconds by a timer while the dialog's
// loop runs. A step that is not reached within the bound fails the test and ends the dialog.

#include <gtest/gtest.h>

#include <QTimer>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "platform/window/dialog.h"

class CStepScript {
public:
    using Condition = std::function<bool()>;
    using Action = std::function<void()>;

    explicit CStepScript(std::chrono::seconds bound = std::chrono::seconds(60)) : m_bound(bound) {}

    CStepScript& Then(
        std::string name, Condition condition, Action action = [] {}) {
        m_steps.push_back({std::move(name), std::move(condition), std::move(action)});
        return *this;
    }

    // Starts checking; call before the dialog runs. Ends `dialog` when a step times out.
    void Start(CDialog& dialog) {
        m_deadline = std::chrono::steady_clock::now() + m_bound;
        QObject::connect(&m_timer, &QTimer::timeout, [this, &dialog] { Tick(dialog); });
        m_timer.start(5);
    }

    bool Finished() const { return m_next == m_steps.size(); }

private:
    struct Step {
        std::string name;
        Condition condition;
        Action action;
    };

    void Tick(CDialog& dialog) {
        while (m_next < m_steps.size() && m_steps[m_next].condition()) {
            Step& step = m_steps[m_next++];
            step.action();
            m_deadline = std::chrono::steady_clock::now() + m_bound;
        }
        if (m_next < m_steps.size() && std::chrono::steady_clock::now() > m_deadline) {
            ADD_FAILURE() << "step not reached: " << m_steps[m_next].name;
            m_timer.stop();
            dialog.EndDialog(IDCANCEL);
        }
        if (m_next == m_steps.size()) {
            m_timer.stop();
        }
    }

    std::chrono::seconds m_bound;
    std::chrono::steady_clock::time_point m_deadline;
    std::vector<Step> m_steps;
    std::size_t m_next = 0;
    QTimer m_timer;
};
