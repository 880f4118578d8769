#pragma once
// The library exports only what hosts use: the public headers' API, the plugin entry and the
// host program's header set. Everything else is hidden.

#define ARDENTA_EXPORT __attribute__((visibility("default")))
