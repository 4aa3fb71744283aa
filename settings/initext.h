#pragma once

#include <QByteArray>
#include <optional>

// The settings reader and writer working on a file's content in memory. The
// content is UTF-8 bytes; names are compared after ASCII lower-casing (the
// copy used for searching keeps every byte position), values never.
//
// A section starts with a header line "[name]"; only a line that begins with
// "[" starts, and so ends, a section. A key line is a line of the section that
// begins with the key followed at once by "=". Lines end at CR LF or at a lone
// CR; a line without a line break at the end of the file counts as a line.
namespace quenby {

// The value of the first key line in the first matching section (a section
// header repeated later opens the section again), or nothing when there is
// none. The value runs from the "=" after the key to the end of its line,
// untrimmed.
// The file's content as the reader and the writer both see it: a byte-order
// mark and control characters (codes 0 to 13) at the start are dropped, every
// line break (CR LF, a lone CR, a lone LF) is CR LF, and a last line without
// a line break gets one. So the two agree on every file, hand-edited ones
// included, and a write never goes into a line the reader does not see. What
// goes at the start never belongs to a value, since no key line stands before
// the first header; it lets an emptied file (one CR LF), an editor's mark or
// stray bytes before "[Default]" still give the section.
QByteArray normalizedIniText(const QByteArray& bytes);

std::optional<QByteArray> findIniValue(const QByteArray& text, const QByteArray& section,
                                       const QByteArray& key);

// The new file content after storing key=value in the section:
// - only the first header line "[section]" (followed by CR) is used;
// - an existing key line before the section's end (the next line beginning
//   with "[", or the end of the file) is replaced in place, taking the given
//   capitalisation of the key; a key line on the file's last line without a
//   line break ends at the end of the text;
// - a new key line goes directly under the header line;
// - a missing section is appended after exactly one blank line;
// then the clean-up: runs of blank lines shrink to one, blank lines go from
// the start, and from the end go the line breaks and every last line holding
// nothing but control characters (codes 0 to 13). A line holding anything
// else is never cut, so a value on the last line keeps its trailing tabs.
// One CR LF ends the file.
// Section, key and value end at their first CR or LF, so a line break can
// never split the stored line.
QByteArray storeIniValue(const QByteArray& text, const QByteArray& section, const QByteArray& key,
                         const QByteArray& value);

// Every run of three or more CR LF pairs shrinks to two, in one pass. This is
// the fixed point of replacing CR LF CR LF CR LF by CR LF CR LF over the whole
// text until none is left.
QByteArray collapseBlankLines(const QByteArray& text);

} // namespace quenby
