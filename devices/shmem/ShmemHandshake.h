#pragma once

// How the two ends of a shared-memory link meet. The listener binds an abstract Unix socket
// named from the link name; the connecting side connects to it and each side sends the other
// its mapping and its two event descriptors (data, messages) with SCM_RIGHTS. Each side checks
// that its peer runs under the same user and that what it received is a sealed mapping of the
// right size and magic and two event descriptors. The socket stays open for the link's life, so
// a hang-up on it means that the peer has gone.

#include "Descriptor.h"

#include <cstdint>

namespace devices::shmem {

// What one side hands the other.
struct Endpoint {
    Descriptor mapping;
    Descriptor dataEvent;
    Descriptor messageEvent;
};

// A listening socket bound to the link name: the socket, or -1 with errno (EADDRINUSE when
// another listener holds the name).
int listenOn(const char* name);
// Connects to the listener of `name`: the socket, or -1 (no listener of that name).
int connectTo(const char* name);
// True when the peer on `socket` runs under this process's user.
bool peerIsSameUser(int socket);

// Sends the own descriptors; false when the socket fails.
bool sendEndpoint(int socket, int mapping, int dataEvent, int messageEvent);
// Receives the peer's descriptors; false for anything but exactly one well-formed set.
bool receiveEndpoint(int socket, Endpoint& peer);
// Maps a received mapping after checking its seals, size and magic; null when it fails.
uint8_t* mapPeer(int mapping);
// A new mapping of its own, sealed against resizing, and its view; false when it fails.
bool createMapping(const char* label, Descriptor& mapping, uint8_t*& view);
void unmap(uint8_t*& view);

// Adds one to an event descriptor's count; reads and clears it.
void signalEvent(int event);
void clearEvent(int event);

} // namespace devices::shmem
