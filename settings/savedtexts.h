#pragma once

#include <QByteArray>
#include <QString>

// The saved-texts file: the input text kept between runs as plain lines,
// beside the settings file in the program's folder. The same writer empties
// either file.
namespace quenby {

class LockPolicy;

// Replaces the whole content of folder/fileName with the text followed by one
// CR LF: each line break of the text (LF, CR LF or a lone CR) is stored as CR
// LF, in UTF-8. Prepares the file first (prepareFile), then rewrites it
// atomically under the file's advisory lock, the same lock the settings
// writer takes, so emptying the settings file never interleaves with a
// settings write of another running copy; the lock waits as the policy
// allows. Throws FileError.
void TxtSave(const QString& folder, const QString& fileName, const QString& text,
             LockPolicy& lockPolicy);
// The same, for a single write: it may wait up to kLockWait for the lock.
void TxtSave(const QString& folder, const QString& fileName, const QString& text);

// TxtSave in two steps, so that a caller can let go of a big text before
// the file is written: the file's bytes for a text, and the write of them.
QByteArray savedTextBytes(const QString& text);
void writeSavedText(const QString& folder, const QString& fileName, const QByteArray& bytes,
                    LockPolicy& lockPolicy);

// The saved input text of folder/qnbtext.ini, with LF line breaks: every
// line break (CR LF, a lone CR or a lone LF) becomes LF, and the one that
// ends the file is dropped, so TxtLoad gives back what TxtSave stored and a
// file edited by hand does not gain a line at each start. Each line is read
// as UTF-8, or as Windows-1252 when its bytes are not valid UTF-8. A
// zero-length file and a file of one CR LF both give the empty text. The
// file is not prepared: a missing file throws FileError like any other
// failure.
QString TxtLoad(const QString& folder);

} // namespace quenby
