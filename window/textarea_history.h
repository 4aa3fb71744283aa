#pragma once

#include <QString>
#include <QStringView>
#include <deque>
#include <optional>

namespace quenby {

// The undo history of a text box, kept by the box itself in positions of its
// text (not of its document, whose seams and pending fill come and go).
//
// A step replaces `removed` at `at` by `inserted`; undoing it puts `removed`
// back. Keys typed one after another join one step, and so do Backspace or
// Delete pressed one after another; anything else is a step of its own. The
// history holds at most kUndoBudget bytes of text, counting both sides of
// every step at two bytes a character: when a new step goes over it, the
// oldest steps are dropped first (the steps to redo go first of all), and the
// newest step is always kept, however big.
class UndoHistory {
public:
    static constexpr qsizetype kUndoBudget = qsizetype(64) * 1024 * 1024;

    struct Step {
        qsizetype at = 0;
        QString removed;
        QString inserted;
    };
    // What kind of edit a step is, for joining.
    enum class Kind { Typing, Deleting, Other };

    explicit UndoHistory(qsizetype budget = kUndoBudget) : m_budget(budget) {}

    // A new step on top, joined to the one there when both are typing (or
    // deleting) at the same place. Empties the steps to redo.
    void record(Step step, Kind kind);
    // Nothing joins the step on top any more.
    void closeRun() { m_run = Run::Closed; }
    void clear();

    bool canUndo() const { return !m_undo.empty(); }
    bool canRedo() const { return !m_redo.empty(); }
    // The step to take back (the caller replaces `inserted` at `at` by
    // `removed`), moved to the steps to redo.
    std::optional<Step> undo();
    // The step to do again (the caller replaces `removed` at `at` by
    // `inserted`), moved back on top.
    std::optional<Step> redo();

    // The bytes of text the history holds.
    qsizetype bytes() const { return m_bytes; }
    qsizetype steps() const { return qsizetype(m_undo.size() + m_redo.size()); }

private:
    // What the step on top takes in, if anything.
    enum class Run { Closed, Typing, Deleting };

    static qsizetype cost(const Step& step) {
        return 2 * (step.removed.size() + step.inserted.size());
    }
    // Drops the oldest steps while over budget, never the newest.
    void trim();
    // Undo and redo alike: the newest step of one list goes to the other.
    std::optional<Step> moveNewest(std::deque<Step>& from, std::deque<Step>& to);

    qsizetype m_budget;
    qsizetype m_bytes = 0;
    std::deque<Step> m_undo; // oldest first
    std::deque<Step> m_redo; // next to redo last
    Run m_run = Run::Closed;
};

// How many characters a and b have in common at their start, and at their
// end leaving out their first `prefix` characters; never inside a surrogate
// pair.
qsizetype commonPrefix(QStringView a, QStringView b);
qsizetype commonSuffix(QStringView a, QStringView b, qsizetype prefix);

// The step that turns `before` into `after`: the range where they differ.
UndoHistory::Step stepBetween(const QString& before, const QString& after);

} // namespace quenby
