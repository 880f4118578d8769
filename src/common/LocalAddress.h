#pragma once
// The address this machine is known by on the network: the one the notice broadcast leaves out
// as its own and the host program registers as online.

#include <ArdentaExport.h>

#include <QString>

// The first IPv4 address that is not loopback, or 127.0.0.1 on a machine without a network.
ARDENTA_EXPORT QString LocalAddress();
