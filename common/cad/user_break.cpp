#include "common/cad/user_break.h"

#include "host/editor/command_line.h"
#include "host/system/events.h"

bool UserBreak() { return host::UserBreak(); }

bool PumpMessagesCheckEsc(bool quiet) {
  // The host delivers an Esc that waits among the messages as a break at
  // the next poll; the key is not dispatched further.
  host::PumpMessages();
  const bool stopped = host::UserBreak();
  if (stopped && !quiet) host::Print(L"\n* Stop *\n");
  return stopped;
}
