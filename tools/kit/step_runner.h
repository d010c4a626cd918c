#pragma once
// Plays a script on the user-interface thread while a dialog's loop runs: each step takes its
// action, then its condition is polled until it holds or the step's bound runs out, then its
// closing action is taken. The first step whose outcome is not seen in time ends the script as
// failed. The demo's scenarios and the end-to-end tests both run on it.
//
// User-interface thread only; the runner must outlive the loop it is started in.

#include <QTimer>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

struct CStep {
    CStep(std::string title, std::function<bool()> start, std::string expectation,
          std::function<bool()> done, std::function<void()> then = {})
        : title(std::move(title)),
          start(std::move(start)),
          expectation(std::move(expectation)),
          done(std::move(done)),
          then(std::move(then)) {}

    std::string title;            // what the step does, printed as it starts
    std::function<bool()> start;  // the action; false when it could not be taken. May be empty.
    std::string expectation;      // what must follow, printed when seen or missed
    std::function<bool()> done;   // polled until true
    std::function<void()> then;   // taken once `done` holds. May be empty.
};

class CStepRunner {
public:
    // Generous: a step's outcome normally follows within a second, also under the sanitizers.
    static constexpr std::chrono::seconds kDefaultBound{60};

    // Prints each step's start and outcome to `out` when it is not null.
    explicit CStepRunner(std::string name, std::vector<CStep> steps = {}, std::FILE* out = nullptr,
                         std::chrono::seconds bound = kDefaultBound);

    // Adds a step that waits for `condition`, then takes `action`: the form a test reads best in.
    CStepRunner& Then(std::string expectation, std::function<bool()> condition,
                      std::function<void()> action = {});

    // Starts polling once the thread's event loop runs. `finished` runs once, on the same thread,
    // with the exit code: 0 when every outcome was seen, 1 otherwise. May be empty.
    void Start(std::function<void(int exitCode)> finished = {});

    // Whether every outcome was seen; whether the script ended, passed or failed.
    bool Passed() const { return m_ended && m_exitCode == 0; }
    bool Ended() const { return m_ended; }
    // 0 once passed; 1 when failed or still running (an unfinished script has not passed).
    int ExitCode() const { return m_exitCode; }
    // Why the script failed; empty while it has not.
    const std::string& Failure() const { return m_failure; }

private:
    void Tick();
    bool BeginStep(CStep& step);
    void Fail(std::string why);
    void Finish(int exitCode);
    void Print(const std::string& line) const;
    double SecondsInStep() const;

    std::string m_name;
    std::vector<CStep> m_steps;
    std::FILE* m_out;
    std::chrono::seconds m_bound;
    std::size_t m_next = 0;
    bool m_stepBegun = false;
    bool m_ticking = false;
    std::chrono::steady_clock::time_point m_stepStart;
    QTimer m_timer;
    std::function<void(int)> m_finished;
    bool m_ended = false;
    int m_exitCode = 1;
    std::string m_failure;
};
