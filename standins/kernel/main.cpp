// OskariaKernel.exe: the stand-in kernel. Opens its link from its argument vector (launched by
// the editor: connect mode; under the calculation server: listening on the port it was given),
// serves requests until the link closes or Quit arrives, and exits.

#include "Loop.h"
#include "Script.h"
#include "corvinet/corvinet.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace {

// The link's urgent messages, for the kernel's watcher.
class LinkMessages : public standin::UrgentMessages {
public:
    explicit LinkMessages(QKLINK link) : m_link(link) {}
    int32_t take() override {
        int32_t code = 0;
        int32_t parameter = 0;
        if (!QKMessageReady(m_link)) return 0;
        return QKGetMessage(m_link, &code, &parameter) == 1 ? code : 0;
    }

private:
    QKLINK m_link;
};

} // namespace

int main(int argc, char** argv) {
    // The kernel talks only through its link; whatever the algebra prints to standard output goes
    // nowhere. Standard error stays for the kernel's own word on why it could not start.
    if (int sink = ::open("/dev/null", O_WRONLY | O_CLOEXEC); sink >= 0) {
        ::dup2(sink, STDOUT_FILENO);
        ::close(sink);
    }
    const standin::Script script = standin::Script::fromEnvironment();
    if (script.kernel("die-before-connect", "start")) return 3;

    QKENV env = QKInitialize(nullptr);
    if (!env) {
        std::fprintf(stderr, "OskariaKernel: the link library did not start\n");
        return 1;
    }
    int32_t error = 0;
    QKLINK link = QKOpenArgv(env, argv, argv + argc, &error);
    if (!link || !QKConnect(link)) {
        std::fprintf(stderr, "OskariaKernel: no link (%s)\n",
                     link ? QKErrorMessage(link) : QKErrorString(env, error));
        if (link) QKClose(link);
        QKDeinitialize(env);
        return 1;
    }
    LinkMessages messages(link);
    standin::LoopEnd end = standin::runKernel(link, &messages, script);
    if (end == standin::LoopEnd::Died) std::_Exit(4); // as a crashed kernel would: no goodbye
    QKClose(link);
    QKDeinitialize(env);
    return 0;
}
