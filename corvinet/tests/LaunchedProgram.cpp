// The program that the launch tests start. Its first arguments say what to do:
//   record FILE ...   write the descriptors it inherited, one a line, to FILE.fds and every
//                     argument, one a line, to FILE, then open a link from the
//                     arguments (the test device beside this program, from its corvinet.ini),
//                     connect, send the integer 42 and wait for the other end to close
//   exit ...          end at once
// Anything else ends with status 2.

#include "corvinet/corvinet.h"

#include <fcntl.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "exit") == 0) return 0;
    if (argc < 3 || std::strcmp(argv[1], "record") != 0) return 2;
    // Before this program opens anything of its own.
    std::vector<int> inherited;
    for (int fd = 0; fd < 1024; ++fd)
        if (fcntl(fd, F_GETFD) != -1) inherited.push_back(fd);
    if (FILE* file = std::fopen((std::string(argv[2]) + ".fds").c_str(), "w")) {
        for (int fd : inherited)
            std::fprintf(file, "%d\n", fd);
        std::fclose(file);
    }
    if (FILE* file = std::fopen(argv[2], "w")) {
        for (int i = 0; i < argc; ++i)
            std::fprintf(file, "%s\n", argv[i]);
        std::fclose(file);
    }
    QKENV env = QKInitialize(nullptr);
    int32_t error = 0;
    QKLINK link = QKOpenInEnv(env, argc, argv, &error);
    if (!link) return 3;
    if (!QKConnect(link) || !QKPutInteger(link, 42) || !QKEndPacket(link) || !QKFlush(link))
        return 4;
    int32_t ignored = 0;
    QKGetInteger(link, &ignored); // returns when the other end closes
    QKClose(link);
    QKDeinitialize(env);
    return 0;
}
