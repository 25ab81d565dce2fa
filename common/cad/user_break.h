// The user break that long loops poll, and a message pump that watches for
// Esc itself.
#pragma once

// True when the user pressed Esc since the last poll.
bool UserBreak();

// Handles the messages waiting for the main window and answers whether an
// Esc was among them; unless `quiet`, an Esc prints "\n* Stop *\n" on the
// command line.
bool PumpMessagesCheckEsc(bool quiet);
