// A client of the RemoteCalls endpoint of the tests' own, which calls it
// through the client stub with whatever text, as any peer of the interface may.
#pragma once

#include <string>

#include "launcher/rpc/remote_calls_stubs_win.h"
#include "wine_test.h"

// Returns 0, or the code of the exception that the call raised. A binding
// that cannot be made is a fault of the test's set-up, reported as such.
inline DWORD sendRaw(const std::string& text) {
    unsigned char* binding = nullptr;
    RPC_STATUS status =
        RpcStringBindingComposeA(nullptr, (unsigned char*)"ncacn_np", nullptr,
                                 (unsigned char*)"\\pipe\\quennRemoteCalls", nullptr, &binding);
    if (!ok(status == RPC_S_OK, "set-up: RpcStringBindingComposeA: %ld", status)) {
        return static_cast<DWORD>(status);
    }
    status = RpcBindingFromStringBindingA(binding, &RemoteCallsBinding);
    if (!ok(status == RPC_S_OK, "set-up: RpcBindingFromStringBindingA: %ld", status)) {
        RpcStringFreeA(&binding);
        return static_cast<DWORD>(status);
    }
    DWORD code = 0;
    __try {
        SendArguments(reinterpret_cast<const unsigned char*>(text.c_str()));
    } __except (code = GetExceptionCode(), EXCEPTION_EXECUTE_HANDLER) {
    }
    ok(RpcStringFreeA(&binding) == RPC_S_OK && RpcBindingFree(&RemoteCallsBinding) == RPC_S_OK,
       "set-up: the binding could not be freed");
    return code;
}
