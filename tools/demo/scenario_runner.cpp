#include "tools/demo/scenario_runner.h"

namespace {
// Often enough that a step follows the one before without a noticeable gap.
constexpr int kPollMilliseconds = 10;
}  // namespace

CScenarioRunner::CScenarioRunner(std::string name, std::vector<CScenarioStep> steps, std::FILE* out)
    : m_name(std::move(name)), m_steps(std::move(steps)), m_out(out) {}

void CScenarioRunner::Start(std::function<void(int exitCode)> finished) {
    m_finished = std::move(finished);
    std::fprintf(m_out, "scenario %s: %zu steps\n", m_name.c_str(), m_steps.size());
    std::fflush(m_out);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { Tick(); });
    m_timer.start(kPollMilliseconds);
}

void CScenarioRunner::Tick() {
    if (m_done || m_next >= m_steps.size()) {
        return;
    }
    CScenarioStep& step = m_steps[m_next];
    if (!m_stepBegun) {
        BeginStep(step);
        if (m_done) {
            return;
        }
    }
    if (step.done()) {
        std::fprintf(m_out, "  seen: %s (%.1f s)\n", step.expectation.c_str(), SecondsInStep());
        std::fflush(m_out);
        m_stepBegun = false;
        if (++m_next == m_steps.size()) {
            Finish(0);
        }
        return;
    }
    if (std::chrono::steady_clock::now() - m_stepStart > kStepBound) {
        std::fprintf(m_out, "scenario %s FAILED at step %zu (%s): not seen within %lld s: %s\n",
                     m_name.c_str(), m_next + 1, step.title.c_str(),
                     static_cast<long long>(kStepBound.count()), step.expectation.c_str());
        Finish(1);
    }
}

void CScenarioRunner::BeginStep(CScenarioStep& step) {
    std::fprintf(m_out, "step %zu/%zu: %s\n", m_next + 1, m_steps.size(), step.title.c_str());
    std::fflush(m_out);
    m_stepBegun = true;
    m_stepStart = std::chrono::steady_clock::now();
    if (step.start && !step.start()) {
        std::fprintf(m_out, "scenario %s FAILED at step %zu: could not %s\n", m_name.c_str(),
                     m_next + 1, step.title.c_str());
        Finish(1);
    }
}

void CScenarioRunner::Finish(int exitCode) {
    m_timer.stop();
    m_done = true;
    m_exitCode = exitCode;
    if (exitCode == 0) {
        std::fprintf(m_out, "scenario %s passed: every expected outcome was seen\n",
                     m_name.c_str());
    }
    std::fflush(m_out);
    if (m_finished) {
        m_finished(exitCode);
    }
}

double CScenarioRunner::SecondsInStep() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - m_stepStart).count();
}
