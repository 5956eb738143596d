#pragma once

// The link library's dialogs (alert, confirm, request, and through the request the launch's
// program chooser and the request for link words) for the environment a session made: on the
// session's GUI thread they are the host's windows; on any other thread (a start-up's, say)
// they answer as cancelled at once. Never the library's own terminal prompt, which would hold
// a start-up thread in a read of standard input that nobody answers, and exit waiting for it.

#include "corvinet/corvinet.h"
#include "kernel/SessionHost.h"

namespace kernel {

// Installs the dialogs on `env` for `host`, whose GUI thread is the calling thread.
void InstallLinkDialogs(QKENV env, SessionHost& host);
// Takes them off again, before the caller ends its hold on `env`; the library's own come back
// once no host is left on it.
void RemoveLinkDialogs(QKENV env, SessionHost& host);

} // namespace kernel
