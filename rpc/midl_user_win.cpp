// The allocation routines that both RemoteCalls stub descriptors name: the
// stubs take and release their buffers through them.
#include <windows.h>
#include <rpc.h>
#include <rpcndr.h>

#include <cstdlib>

void* __RPC_USER MIDL_user_allocate(size_t size) {
    return std::malloc(size);
}

void __RPC_USER MIDL_user_free(void* block) {
    std::free(block);
}
