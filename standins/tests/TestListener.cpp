// A kernel stand-in for the calculation server's tests: takes "-linkname PORT" among its
// arguments, listens on 127.0.0.1:PORT, accepts one connection and ends. It never waits more
// than 30 seconds, so a test that forgets it leaves nothing behind for long.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    int port = -1;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "-linkname") == 0) port = std::atoi(argv[i + 1]);
    if (port <= 0 || port > 65535) return 2;
    int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    if (s < 0 || ::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(s, 1) != 0)
        return 1;
    pollfd waiting{s, POLLIN, 0};
    if (::poll(&waiting, 1, 30000) == 1) ::close(::accept(s, nullptr, nullptr));
    ::close(s);
    return 0;
}
