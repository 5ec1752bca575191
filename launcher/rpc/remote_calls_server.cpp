#include "remote_calls.h"

int32_t startRemoteCallsServer() {
    return -1;
}
