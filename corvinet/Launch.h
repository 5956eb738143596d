#pragma once

// Launching the program at the other end of a link: the library listens, starts the program
// with the options that make it connect back, and watches it, so that a program that dies before
// it connects ends the wait instead of leaving the listener waiting for ever.

#include "corvinet/corvinet.h"

#include <sys/types.h>

#include <string>
#include <vector>

namespace corvinet {

struct OpenOptions;

// What a link that launched its peer keeps: the child, and the program's own yield function,
// which the watch hands each waiting round on to. Allocated with new; ended by endLaunchWatch.
struct LaunchWatch {
    pid_t pid = -1;
    int pidfd = -1; // -1 where the kernel has no process descriptors: then waitpid polls
    QKCallbackRecord* watch = nullptr; // on the device while the link lives
    QKYieldFunctionObject chained = nullptr;
};

// True once the launched program has ended; it is reaped then.
bool launchedProgramEnded(LaunchWatch& watch);
// Closes the watch; a child still running is reaped by a thread of its own when it ends, so no
// zombie stays behind.
void endLaunchWatch(LaunchWatch* watch);

// Splits a command line as the launch builds it: a blank or tab outside double quotes ends a
// word, the quotes are removed, and "" is an empty word.
std::vector<std::string> splitCommand(const std::string& command);
// The first word of a link name, the program to launch.
std::string programOfCommand(const std::string& command);
// The file that `program` names: a name with a slash as it stands; a bare name in the program's
// own folder, then the current folder, then the folders of PATH. Empty when nothing executable
// is found.
std::string findProgram(const std::string& program);

// Listens on `options`' protocol, starts the program and returns the listening link, named
// with the program. On failure null with the error in `error`.
QKLINK launchLink(QKENV env, const OpenOptions& options, int32_t* error);

} // namespace corvinet
