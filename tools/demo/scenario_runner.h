#pragma once
// Plays a scripted scenario on the user-interface thread while the main dialog runs: each step
// takes its action, then its condition is polled until it holds or the step's bound runs out.
// Prints one line as each step starts and one as its outcome is seen; the first step whose
// outcome is not seen in time ends the scenario as failed.

#include <QTimer>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

struct CScenarioStep {
    std::string title;            // what the step does, printed as it starts
    std::function<bool()> start;  // the action; false when it could not be taken. May be empty.
    std::string expectation;      // what must follow, printed when seen or missed
    std::function<bool()> done;   // polled until true
};

class CScenarioRunner {
public:
    // Generous: a step's outcome normally follows within a second, also under the sanitizers.
    static constexpr std::chrono::seconds kStepBound{30};

    CScenarioRunner(std::string name, std::vector<CScenarioStep> steps, std::FILE* out);

    // Starts polling once the thread's event loop runs (the main dialog's). `finished` runs once,
    // on the same thread, with the exit code: 0 when every outcome was seen, 1 otherwise.
    void Start(std::function<void(int exitCode)> finished);

    // 0 or 1 once finished; 1 while still running (an unfinished scenario has not passed).
    int ExitCode() const { return m_exitCode; }
    bool Finished() const { return m_done; }

private:
    void Tick();
    void BeginStep(CScenarioStep& step);
    void Finish(int exitCode);
    double SecondsInStep() const;

    std::string m_name;
    std::vector<CScenarioStep> m_steps;
    std::FILE* m_out;
    std::size_t m_next = 0;
    bool m_stepBegun = false;
    std::chrono::steady_clock::time_point m_stepStart;
    QTimer m_timer;
    std::function<void(int)> m_finished;
    bool m_done = false;
    int m_exitCode = 1;
};
