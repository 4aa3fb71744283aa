#pragma once

#include "fault_support.h"
#include "window/window_fixture.h"

#include <QDir>
#include <QProcess>
#include <QStringList>
#include <memory>
#include <optional>

// The window with its files failing underneath it. Shared by the fault tests.
namespace quenby::faults {

// A second window over healthy fakes and a folder of its own, driven with the
// same edits as the window under test: whatever the failing window holds
// afterwards, the twin holds too.
struct Twin {
    Twin();
    quenby::testing::FakeClipboard clipboard;
    quenby::testing::FakeDialogs dialogs;
    quenby::testing::FakeFolder folder;
    std::unique_ptr<Skivler> window;
};

class FaultWindow : public quenby::testing::WindowTest {
protected:
    void TearDown() override;

    // Lets a window remember a state: Remember ticked, an input text, a box,
    // a slot and both strings changed, so that both files hold something a
    // failed write could lose: the settings file more than kRememberedBytes,
    // the saved texts more than a memory page (4096 bytes).
    static void rememberAState(Skivler& s);
    static constexpr long long kRememberedBytes = 1024;

    // Every value the window shows, one "name=value" entry per control.
    static QStringList held(const Skivler& s);

    // The bytes of a file of the program folder, or "<missing>" when it
    // cannot be read as a file (absent, or a folder in its place).
    QByteArray fileState(const char* name) const { return bytes(name); }

    // What else lies in the program folder besides the two files.
    QStringList strayEntries() const;

    // The messages shown since `mark` (an index into dialogs.shown).
    std::vector<Message> messagesSince(std::size_t mark) const;

    // The options quenby-strip --settings takes from the settings bytes, and
    // the window's, shown field by field so that a failure names the field.
    static QString filterOptions(const QByteArray& settingsBytes, QStringList* warnings);
    static QString windowOptions(const Skivler& s);

    // A helper process holding the advisory lock of a file of the program
    // folder, started and stopped by the tests.
    void holdLock(const char* name);
    void releaseLock();

    std::optional<QProcess> m_lockHolder;
};

} // namespace quenby::faults
