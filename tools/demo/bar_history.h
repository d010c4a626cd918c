#pragma once
// Keeps every text the visible bar showed, so that a scripted scenario can ask whether a result
// appeared since a given moment, also one that stayed on the bar for an instant only. Passes
// every change on to another listener (the report on standard output) and, for texts, to a hook
// that runs while the bar shows the new text.
//
// Thread-safe as CProgressListener requires: texts arrive on the user-interface thread, positions
// on the workers' threads.

#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "ui/text_progress_ctrl.h"

class CBarHistory : public CProgressListener {
public:
    using TextHook = std::function<void(const std::u16string& text)>;

    // `next`: told of every change first; may be null.
    explicit CBarHistory(std::shared_ptr<CProgressListener> next);

    void OnTextChanged(const std::u16string& text) override;
    void OnPosChanged(int pos) override;

    // Runs on the user-interface thread after each text change, before the bar is told of the
    // next one. Set it before the bar is bound.
    void SetTextHook(TextHook hook);

    // A mark for TextSeenSince: the number of texts so far.
    std::size_t Mark() const;
    bool TextSeenSince(std::size_t mark, const std::u16string& text) const;
    // Whether `first` and, after it, `then` were shown since `mark`.
    bool TextsSeenInOrder(std::size_t mark, const std::u16string& first,
                          const std::u16string& then) const;
    // The position told last (0 before any).
    int LastPos() const;

private:
    std::shared_ptr<CProgressListener> m_next;
    mutable std::mutex m_mutex;
    std::vector<std::u16string> m_texts;
    int m_lastPos = 0;
    TextHook m_hook;
};
