#pragma once

#include "window/textarea_history.h"
#include "window/textarea_seams.h"

#include <QTextDocument>

class QColor;
class QPainter;
class QPointF;
class QTextBlock;

namespace quenby {

// The document of a text box, or of the two boxes of a pair, which hand it
// over with everything that belongs to it: where its seams are and the undo
// history of the text it shows. Qt's own undo stays off: a step of the box is
// in positions of the text, so a seam or a pending fill never enters it.
class BoxDocument : public QTextDocument {
public:
    explicit BoxDocument(QWidget* box);

    // While a box takes the document over, it lays the document out anew for
    // its own width and mode after it has set the mode.
    void setTakingOver(bool takingOver);

    Seams seams;
    UndoHistory history;
};

// Draws the mark that says a line goes on in the next one, after the last
// line of `block`, whose top left corner is at `topLeft` on the viewport.
void drawContinuationMark(QPainter& painter, const QTextBlock& block, QPointF topLeft,
                          const QColor& colour);

} // namespace quenby
