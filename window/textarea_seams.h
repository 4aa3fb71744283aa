#pragma once

#include <QString>
#include <QStringView>
#include <vector>

namespace quenby {

// Display seams: where a box's document breaks a paragraph of the text that
// the text itself does not break.
//
// Qt lays a paragraph (a block of the document) out whole, with its shaping,
// at every edit in it, so a keystroke in a paragraph of ten million characters
// costs seconds. The box therefore holds a long paragraph in its document as
// several blocks: each seam is a block separator in the document that is no
// character of the text. A seam falls after a space in the second half of
// each kSeamLength characters, where a wrapped line would break anyway, and
// where there is none (a base64 blob, minified code) at kSeamLength, never
// inside a surrogate pair or before a combining mark. A wrapping box then
// shows at most one shorter screen line per seam; the box that does not wrap
// shows the paragraph broken there, with a continuation mark.
//
// Seams keeps the seams' text positions, sorted, and maps positions between
// the text and the document: text position p is document position p plus the
// seams at or before it (the start of the block after a seam's separator).
// placeSeams() picks the seams of a stretch of text from a block start on, so
// that the document never holds a block longer than kLongestBlock.

// The longest line of a long paragraph that the document holds as one block.
// Short enough that the box that does not wrap, which draws every block on
// screen whole, draws a screen of them as fast as a screen of short lines.
constexpr qsizetype kSeamLength = 1024;
// A block that typing made longer than this is cut anew.
constexpr qsizetype kLongestBlock = 2 * kSeamLength;

// A space after which a line may break (not a no-break space).
bool breakingSpace(QChar c);

class Seams {
public:
    qsizetype count() const { return qsizetype(m_at.size()); }
    void clear() { m_at.clear(); }

    // The document position of text position p: after a seam at p.
    qsizetype toDocument(qsizetype p) const { return p + atOrBefore(p); }
    // The document position of text position p: before a seam at p.
    qsizetype toDocumentBefore(qsizetype p) const { return p + before(p); }
    // The text position of document position d (both sides of a seam's
    // separator are the seam's text position).
    qsizetype toText(qsizetype d) const;
    // Whether document position d holds a seam's separator.
    bool separatorAt(qsizetype d) const;
    // The last seam at or before p, or -1.
    qsizetype lastAtOrBefore(qsizetype p) const;
    // The first seam after p, or -1.
    qsizetype firstAfter(qsizetype p) const;
    // The text from..to became `delta` longer: drops the seams inside (from,
    // to), moves those at or after `to` by delta and adds `added` (sorted,
    // inside the changed range).
    void replace(qsizetype from, qsizetype to, qsizetype delta,
                 const std::vector<qsizetype>& added);
    // The user replaced document positions from..to by text `delta` longer:
    // drops the seams whose separators were there and moves the later ones.
    void edit(qsizetype documentFrom, qsizetype documentTo, qsizetype delta);
    // The seams whose separators are at document positions from..to.
    std::vector<qsizetype> within(qsizetype documentFrom, qsizetype documentTo) const;

private:
    // How many seams are before p, at or before p.
    qsizetype before(qsizetype p) const;
    qsizetype atOrBefore(qsizetype p) const;
    // How many separators are before document position d.
    qsizetype separatorsBefore(qsizetype d) const;

    std::vector<qsizetype> m_at;
};

// Adds to `out` the seams that text from..to needs, where `from` starts a
// block (a line start, a seam, or any position of a stretch that has none).
void placeSeams(QStringView text, qsizetype from, qsizetype to, std::vector<qsizetype>& out);

// The text from..to as the document holds it: a paragraph separator before
// each of `seams` (sorted, inside the range).
QString withSeams(QStringView text, qsizetype from, qsizetype to,
                  const std::vector<qsizetype>& seams);

// The start of the block that holds text position p: after the last line end
// before p, or the last seam at or before it, looked for no further back than
// kLongestBlock.
qsizetype blockStart(QStringView text, const Seams& seams, qsizetype p);

} // namespace quenby
