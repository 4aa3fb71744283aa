#include "window/textarea_seams.h"

#include <algorithm>

namespace quenby {

namespace {

// Whether a seam may fall before text[at]: not inside a surrogate pair, and
// not between a character and the marks that combine with it.
bool characterStart(QStringView text, qsizetype at) {
    if (at <= 0 || at >= text.size())
        return true;
    const QChar c = text[at];
    return !c.isLowSurrogate() && !c.isMark() && c.unicode() != 0x200D &&
           text[at - 1].unicode() != 0x200D; // nor around a zero-width joiner
}

// How far back a seam in a run without spaces may move to a character start.
constexpr qsizetype kCharacterSearch = 32;

} // namespace

bool breakingSpace(QChar c) {
    switch (c.unicode()) {
    case 0x00A0: // no-break space
    case 0x2007: // figure space
    case 0x202F: // narrow no-break space
        return false;
    default:
        return c.isSpace();
    }
}

qsizetype Seams::before(qsizetype p) const {
    return std::lower_bound(m_at.begin(), m_at.end(), p) - m_at.begin();
}

qsizetype Seams::atOrBefore(qsizetype p) const {
    return std::upper_bound(m_at.begin(), m_at.end(), p) - m_at.begin();
}

qsizetype Seams::separatorsBefore(qsizetype d) const {
    // The separator of seam i is at document position m_at[i] + i.
    qsizetype low = 0;
    qsizetype high = count();
    while (low < high) {
        const qsizetype mid = (low + high) / 2;
        if (m_at[std::size_t(mid)] + mid < d)
            low = mid + 1;
        else
            high = mid;
    }
    return low;
}

qsizetype Seams::toText(qsizetype d) const {
    return d - separatorsBefore(d);
}

bool Seams::separatorAt(qsizetype d) const {
    const qsizetype i = separatorsBefore(d);
    return i < count() && m_at[std::size_t(i)] + i == d;
}

qsizetype Seams::lastAtOrBefore(qsizetype p) const {
    const qsizetype i = atOrBefore(p);
    return i > 0 ? m_at[std::size_t(i - 1)] : -1;
}

qsizetype Seams::firstAfter(qsizetype p) const {
    const qsizetype i = atOrBefore(p);
    return i < count() ? m_at[std::size_t(i)] : -1;
}

void Seams::replace(qsizetype from, qsizetype to, qsizetype delta,
                    const std::vector<qsizetype>& added) {
    const auto first = std::upper_bound(m_at.begin(), m_at.end(), from);
    const auto last = std::lower_bound(first, m_at.end(), to);
    for (auto it = last; it != m_at.end(); ++it)
        *it += delta;
    const auto at = m_at.erase(first, last);
    m_at.insert(at, added.begin(), added.end());
}

void Seams::edit(qsizetype documentFrom, qsizetype documentTo, qsizetype delta) {
    const auto first = m_at.begin() + separatorsBefore(documentFrom);
    const auto last = m_at.begin() + separatorsBefore(documentTo);
    for (auto it = last; it != m_at.end(); ++it)
        *it += delta;
    m_at.erase(first, last);
}

std::vector<qsizetype> Seams::within(qsizetype documentFrom, qsizetype documentTo) const {
    return std::vector<qsizetype>(m_at.begin() + separatorsBefore(documentFrom),
                                  m_at.begin() + separatorsBefore(documentTo));
}

void placeSeams(QStringView text, qsizetype from, qsizetype to, std::vector<qsizetype>& out) {
    qsizetype start = from;
    while (to - start > kSeamLength) {
        const qsizetype lineEnd = text.mid(start, kSeamLength + 1).indexOf(QLatin1Char('\n'));
        if (lineEnd >= 0) {
            start += lineEnd + 1;
            continue;
        }
        // After the last breaking space in the second half of the line...
        qsizetype cut = -1;
        for (qsizetype at = start + kSeamLength; at > start + kSeamLength / 2; --at)
            if (breakingSpace(text[at - 1])) {
                cut = at;
                break;
            }
        // ...else at its end, where a character starts.
        if (cut < 0) {
            cut = start + kSeamLength;
            for (qsizetype back = 0; back < kCharacterSearch && !characterStart(text, cut); ++back)
                --cut;
            if (!characterStart(text, cut))
                cut = start + kSeamLength;
        }
        out.push_back(cut);
        start = cut;
    }
}

QString withSeams(QStringView text, qsizetype from, qsizetype to,
                  const std::vector<qsizetype>& seams) {
    QString out;
    out.reserve(to - from + qsizetype(seams.size()));
    qsizetype at = from;
    for (const qsizetype seam : seams) {
        out.append(text.mid(at, seam - at));
        out.append(QChar::ParagraphSeparator);
        at = seam;
    }
    out.append(text.mid(at, to - at));
    return out;
}

qsizetype blockStart(QStringView text, const Seams& seams, qsizetype p) {
    const qsizetype low = std::max<qsizetype>({seams.lastAtOrBefore(p), p - kLongestBlock, 0});
    const qsizetype lineEnd = text.mid(low, p - low).lastIndexOf(QLatin1Char('\n'));
    return lineEnd >= 0 ? low + lineEnd + 1 : low;
}

} // namespace quenby
