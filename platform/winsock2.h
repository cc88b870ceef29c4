#ifndef QUORVEX_PLATFORM_WINSOCK2_H
#define QUORVEX_PLATFORM_WINSOCK2_H

// Sockets, as far as shutting one: Windows Sockets took the call, and its
// semantics, from the system's own sockets, which serve it here.
#include <sys/socket.h>

typedef int SOCKET;

#define INVALID_SOCKET (-1)
#define SD_RECEIVE SHUT_RD
#define SD_SEND SHUT_WR
#define SD_BOTH SHUT_RDWR

#endif
