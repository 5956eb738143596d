#ifndef CORVINET_QKWIRE_H
#define CORVINET_QKWIRE_H

/* The exported put, get, disown, text and number functions. Included by corvinet/corvinet.h;
 * include that header, not this one. */

#endif
