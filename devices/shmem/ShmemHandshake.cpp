#include "ShmemHandshake.h"

#include "ShmemMapping.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>

namespace devices::shmem {
namespace {

constexpr int kDescriptors = 3;

socklen_t addressOf(const char* name, sockaddr_un& address) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    // An abstract name: no file is left behind, and it goes with the last socket bound to it.
    int length = std::snprintf(address.sun_path + 1, sizeof address.sun_path - 1,
                               "Corvinet.FileMap.%u.%s", kMagic, name);
    std::size_t used = std::min<std::size_t>(std::size_t(length), sizeof address.sun_path - 2);
    return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + used);
}

bool isEventDescriptor(int fd) {
    char path[64];
    char target[64] = {};
    std::snprintf(path, sizeof path, "/proc/self/fd/%d", fd);
    ssize_t length = readlink(path, target, sizeof target - 1);
    return length > 0 && std::strcmp(target, "anon_inode:[eventfd]") == 0;
}

} // namespace

int listenOn(const char* name) {
    Descriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!socket) return -1;
    sockaddr_un address;
    socklen_t length = addressOf(name, address);
    if (bind(socket.get(), reinterpret_cast<sockaddr*>(&address), length) != 0) return -1;
    if (listen(socket.get(), 4) != 0) return -1;
    return socket.release();
}

int connectTo(const char* name) {
    Descriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!socket) return -1;
    sockaddr_un address;
    socklen_t length = addressOf(name, address);
    if (connect(socket.get(), reinterpret_cast<sockaddr*>(&address), length) != 0) return -1;
    return socket.release();
}

bool peerIsSameUser(int socket) {
    ucred credentials{};
    socklen_t length = sizeof credentials;
    return getsockopt(socket, SOL_SOCKET, SO_PEERCRED, &credentials, &length) == 0 &&
           credentials.uid == geteuid();
}

bool sendEndpoint(int socket, int mapping, int dataEvent, int messageEvent) {
    uint32_t magic = kMagic;
    iovec data{&magic, sizeof magic};
    alignas(cmsghdr) char control[CMSG_SPACE(kDescriptors * sizeof(int))] = {};
    msghdr message{};
    message.msg_iov = &data;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    cmsghdr* header = CMSG_FIRSTHDR(&message);
    header->cmsg_level = SOL_SOCKET;
    header->cmsg_type = SCM_RIGHTS;
    header->cmsg_len = CMSG_LEN(kDescriptors * sizeof(int));
    const int fds[kDescriptors] = {mapping, dataEvent, messageEvent};
    std::memcpy(CMSG_DATA(header), fds, sizeof fds);
    ssize_t sent;
    do {
        sent = sendmsg(socket, &message, MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    return sent == sizeof magic;
}

bool receiveEndpoint(int socket, Endpoint& peer) {
    uint32_t magic = 0;
    iovec data{&magic, sizeof magic};
    alignas(cmsghdr) char control[CMSG_SPACE(kDescriptors * sizeof(int)) + 64] = {};
    msghdr message{};
    message.msg_iov = &data;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    ssize_t received;
    do {
        received = recvmsg(socket, &message, MSG_CMSG_CLOEXEC);
    } while (received < 0 && errno == EINTR);
    if (received < 0) return false;
    // Take ownership of every descriptor that came, so that none leaks whatever was sent.
    Descriptor got[kDescriptors];
    int count = 0;
    bool wellFormed = true;
    for (cmsghdr* header = CMSG_FIRSTHDR(&message); header;
         header = CMSG_NXTHDR(&message, header)) {
        if (header->cmsg_level != SOL_SOCKET || header->cmsg_type != SCM_RIGHTS) continue;
        std::size_t n = (header->cmsg_len - CMSG_LEN(0)) / sizeof(int);
        for (std::size_t i = 0; i < n; ++i) {
            int fd;
            std::memcpy(&fd, CMSG_DATA(header) + i * sizeof(int), sizeof fd);
            if (count < kDescriptors)
                got[count++].reset(fd);
            else {
                ::close(fd);
                wellFormed = false;
            }
        }
    }
    if (!wellFormed || count != kDescriptors || received != sizeof magic || magic != kMagic ||
        (message.msg_flags & (MSG_CTRUNC | MSG_TRUNC)))
        return false;
    if (!isEventDescriptor(got[1].get()) || !isEventDescriptor(got[2].get())) return false;
    peer.mapping = std::move(got[0]);
    peer.dataEvent = std::move(got[1]);
    peer.messageEvent = std::move(got[2]);
    return true;
}

uint8_t* mapPeer(int mapping) {
    struct stat status {};
    if (fstat(mapping, &status) != 0 || !S_ISREG(status.st_mode) ||
        status.st_size != static_cast<off_t>(kMappingSize))
        return nullptr;
    // Without the seal the peer could shrink the file under us and fault our reads.
    int seals = fcntl(mapping, F_GET_SEALS);
    if (seals < 0 || !(seals & F_SEAL_SHRINK)) return nullptr;
    void* view = mmap(nullptr, kMappingSize, PROT_READ | PROT_WRITE, MAP_SHARED, mapping, 0);
    if (view == MAP_FAILED) return nullptr;
    auto* bytes = static_cast<uint8_t*>(view);
    if (loadWord(bytes, kMagicAt) != kMagic) {
        unmap(bytes);
        return nullptr;
    }
    return bytes;
}

bool createMapping(const char* label, Descriptor& mapping, uint8_t*& view) {
    Descriptor fd(memfd_create(label, MFD_CLOEXEC | MFD_ALLOW_SEALING));
    if (!fd || ftruncate(fd.get(), kMappingSize) != 0 ||
        fcntl(fd.get(), F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_SEAL) != 0)
        return false;
    void* bytes = mmap(nullptr, kMappingSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd.get(), 0);
    if (bytes == MAP_FAILED) return false;
    mapping = std::move(fd);
    view = static_cast<uint8_t*>(bytes);
    return true;
}

void unmap(uint8_t*& view) {
    if (view) munmap(view, kMappingSize);
    view = nullptr;
}

void signalEvent(int event) {
    uint64_t one = 1;
    // A full count (never reached) or a closed peer leaves nothing to do.
    [[maybe_unused]] ssize_t written = ::write(event, &one, sizeof one);
}

void clearEvent(int event) {
    uint64_t count;
    [[maybe_unused]] ssize_t read = ::read(event, &count, sizeof count);
}

} // namespace devices::shmem
