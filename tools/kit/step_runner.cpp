#include "tools/kit/step_runner.h"

namespace {
// Often enough that a step follows the one before without a noticeable gap.
constexpr int kPollMilliseconds = 5;
}  // namespace

CStepRunner::CStepRunner(std::string name, std::vector<CStep> steps, std::FILE* out,
                         std::chrono::seconds bound)
    : m_name(std::move(name)), m_steps(std::move(steps)), m_out(out), m_bound(bound) {}

CStepRunner& CStepRunner::Then(std::string expectation, std::function<bool()> condition,
                               std::function<void()> action) {
    std::string title = "wait for " + expectation;
    m_steps.emplace_back(std::move(title), nullptr, std::move(expectation), std::move(condition),
                         std::move(action));
    return *this;
}

void CStepRunner::Start(std::function<void(int exitCode)> finished) {
    m_finished = std::move(finished);
    Print("scenario " + m_name + ": " + std::to_string(m_steps.size()) + " steps");
    QObject::connect(&m_timer, &QTimer::timeout, [this] { Tick(); });
    m_timer.start(kPollMilliseconds);
}

void CStepRunner::Tick() {
    // An action that runs a nested event loop (a modal box) must not see the next tick re-enter.
    if (m_ticking) {
        return;
    }
    m_ticking = true;
    while (!m_ended && m_next < m_steps.size()) {
        CStep& step = m_steps[m_next];
        if (!m_stepBegun && !BeginStep(step)) {
            break;
        }
        if (!step.done()) {
            if (std::chrono::steady_clock::now() - m_stepStart > m_bound) {
                Fail("step " + std::to_string(m_next + 1) + " (" + step.title +
                     "): not seen within " + std::to_string(m_bound.count()) +
                     " s: " + step.expectation);
            }
            break;
        }
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%.1f", SecondsInStep());
        Print("  seen: " + step.expectation + " (" + seconds + " s)");
        m_stepBegun = false;
        ++m_next;
        if (step.then) {
            step.then();
        }
    }
    if (!m_ended && m_next == m_steps.size()) {
        Finish(0);
    }
    m_ticking = false;
}

bool CStepRunner::BeginStep(CStep& step) {
    Print("step " + std::to_string(m_next + 1) + "/" + std::to_string(m_steps.size()) + ": " +
          step.title);
    m_stepBegun = true;
    m_stepStart = std::chrono::steady_clock::now();
    if (step.start && !step.start()) {
        Fail("step " + std::to_string(m_next + 1) + ": could not " + step.title);
        return false;
    }
    return true;
}

void CStepRunner::Fail(std::string why) {
    m_failure = std::move(why);
    Print("scenario " + m_name + " FAILED at " + m_failure);
    Finish(1);
}

void CStepRunner::Finish(int exitCode) {
    m_timer.stop();
    m_ended = true;
    m_exitCode = exitCode;
    if (exitCode == 0) {
        Print("scenario " + m_name + " passed: every expected outcome was seen");
    }
    if (m_finished) {
        m_finished(exitCode);
    }
}

void CStepRunner::Print(const std::string& line) const {
    if (m_out != nullptr) {
        std::fprintf(m_out, "%s\n", line.c_str());
        std::fflush(m_out);
    }
}

double CStepRunner::SecondsInStep() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - m_stepStart).count();
}
