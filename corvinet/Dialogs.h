#pragma once

// The five dialog slots of an environment (alert, request, confirm, request-argv,
// request-to-interact) and their defaults. The defaults need no window system: the alert writes
// to standard error; confirm and the requests ask on the terminal only when standard input and
// standard error both are one, and otherwise answer as if cancelled; request-to-interact allows.
// A program with windows installs its own dialogs with QKSetDialogFunction.

#include "corvinet/corvinet.h"

namespace corvinet {

// Fills the slots and the saved defaults of a new environment.
void installDefaultDialogs(QKENV env);

} // namespace corvinet
