#pragma once

class QWidget;

// SIGTERM and SIGINT (a desktop session ending, Ctrl+C in a terminal) close the window as its
// close button does, so the settings and the shown configuration are saved before the program
// ends. A signal handler may do almost nothing itself: it writes a byte into a pipe, and the event
// loop, which watches the pipe, does the closing. Off Windows only.
void CloseOnQuitSignals(QWidget& window);
