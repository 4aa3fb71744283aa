#include "window/textarea_history.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace quenby {

namespace {

constexpr qsizetype kCompareChunk = 4096;

} // namespace

qsizetype commonPrefix(QStringView a, QStringView b) {
    const qsizetype n = std::min(a.size(), b.size());
    if (a.data() == b.data())
        return n; // one string shared
    qsizetype i = 0;
    while (i + kCompareChunk <= n &&
           std::memcmp(a.data() + i, b.data() + i, kCompareChunk * sizeof(QChar)) == 0)
        i += kCompareChunk;
    while (i < n && a[i] == b[i])
        ++i;
    // Never end inside a surrogate pair.
    if (i > 0 && i < n && a[i - 1].isHighSurrogate())
        --i;
    return i;
}

qsizetype commonSuffix(QStringView a, QStringView b, qsizetype prefix) {
    const qsizetype n = std::min(a.size(), b.size()) - prefix;
    const QChar* ea = a.data() + a.size();
    const QChar* eb = b.data() + b.size();
    qsizetype i = 0;
    while (i + kCompareChunk <= n && std::memcmp(ea - i - kCompareChunk, eb - i - kCompareChunk,
                                                 kCompareChunk * sizeof(QChar)) == 0)
        i += kCompareChunk;
    while (i < n && ea[-i - 1] == eb[-i - 1])
        ++i;
    if (i > 0 && i < n && ea[-i].isLowSurrogate())
        --i;
    return i;
}

UndoHistory::Step stepBetween(const QString& before, const QString& after) {
    const qsizetype prefix = commonPrefix(before, after);
    const qsizetype suffix = commonSuffix(before, after, prefix);
    return {prefix, before.mid(prefix, before.size() - prefix - suffix),
            after.mid(prefix, after.size() - prefix - suffix)};
}

void UndoHistory::record(Step step, Kind kind) {
    for (const Step& dropped : m_redo)
        m_bytes -= cost(dropped);
    m_redo.clear();
    if (!m_undo.empty()) {
        Step& top = m_undo.back();
        // Typing on where the last key went in.
        if (kind == Kind::Typing && m_run == Run::Typing && step.removed.isEmpty() &&
            step.at == top.at + top.inserted.size()) {
            top.inserted += step.inserted;
            m_bytes += cost(step);
            trim();
            return;
        }
        // Backspace before, or Delete at, where the last one took a character.
        if (kind == Kind::Deleting && m_run == Run::Deleting && step.inserted.isEmpty() &&
            top.inserted.isEmpty()) {
            if (step.at + step.removed.size() == top.at) {
                top.removed.prepend(step.removed);
                top.at = step.at;
                m_bytes += cost(step);
                trim();
                return;
            }
            if (step.at == top.at) {
                top.removed += step.removed;
                m_bytes += cost(step);
                trim();
                return;
            }
        }
    }
    m_bytes += cost(step);
    m_undo.push_back(std::move(step));
    m_run = kind == Kind::Typing     ? Run::Typing
            : kind == Kind::Deleting ? Run::Deleting
                                     : Run::Closed;
    trim();
}

void UndoHistory::clear() {
    m_undo.clear();
    m_redo.clear();
    m_bytes = 0;
    m_run = Run::Closed;
}

std::optional<UndoHistory::Step> UndoHistory::undo() {
    return moveNewest(m_undo, m_redo);
}

std::optional<UndoHistory::Step> UndoHistory::redo() {
    return moveNewest(m_redo, m_undo);
}

std::optional<UndoHistory::Step> UndoHistory::moveNewest(std::deque<Step>& from,
                                                         std::deque<Step>& to) {
    m_run = Run::Closed;
    if (from.empty())
        return std::nullopt;
    to.push_back(std::move(from.back()));
    from.pop_back();
    return to.back();
}

void UndoHistory::trim() {
    // The steps to redo are the furthest from the text as it stands.
    while (m_bytes > m_budget && !m_redo.empty()) {
        m_bytes -= cost(m_redo.front());
        m_redo.pop_front();
    }
    while (m_bytes > m_budget && m_undo.size() > 1) {
        m_bytes -= cost(m_undo.front());
        m_undo.pop_front();
    }
}

} // namespace quenby
