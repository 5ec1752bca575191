// The RemoteCalls interface through which a later start hands its arguments
// to the first instance, over the named pipe "\pipe\quennRemoteCalls".
#pragma once

#include <cstdint>

// Sends the joined argument text to the first instance, calling again for a
// few seconds while the first instance is too busy to take the call.
// Returns 0 (also when the call itself failed: nobody serving, connection
// broken, still busy), or -1 to -4 when composing, binding, or freeing the
// string binding or the binding fails.
int32_t sendToFirstInstance(const char* text);

// Serves the interface on the runtime's own threads. Returns 0 when
// listening, -1 to -3 when taking the endpoint, registering or listening fails.
int32_t startRemoteCallsServer();
