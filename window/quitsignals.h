#pragma once

// The signals that end a desktop program (SIGTERM from a session ending or
// `kill`, SIGINT from Ctrl+C in a terminal, SIGHUP from a closed terminal)
// turned into a clean quit of the application, so that the window's pending
// writes are finished (QCoreApplication::aboutToQuit) before it ends.
namespace quenby {

// Call once, after the QCoreApplication exists and before its event loop.
// A signal handler may do almost nothing safely: it writes one byte to a
// pipe, and the event loop, watching the pipe, quits the application.
void quitOnTerminationSignals();

} // namespace quenby
