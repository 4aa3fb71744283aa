#pragma once

class QAccessibleInterface;
class QObject;
class QString;

namespace quenby {

// What a screen reader reads of a text box (QAccessible's text interface,
// and through it AT-SPI): the box's own text, with offsets in it, not the
// document's, whose seams are no part of it. Offsets count UTF-16 units.
QAccessibleInterface* accessibleTextArea(const QString& className, QObject* object);

} // namespace quenby
