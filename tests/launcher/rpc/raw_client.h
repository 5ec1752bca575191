// A client of the RemoteCalls endpoint of the tests' own, which calls it
// through the client stub with whatever text, as any peer of the interface may.
#pragma once

#include <string>

#include "launcher/rpc/remote_calls_stubs_win.h"

// Returns 0, or the code of the exception that the call raised.
inline DWORD sendRaw(const std::string& text) {
    unsigned char* binding = nullptr;
    RpcStringBindingComposeA(nullptr, (unsigned char*)"ncacn_np", nullptr,
                             (unsigned char*)"\\pipe\\quennRemoteCalls", nullptr, &binding);
    RpcBindingFromStringBindingA(binding, &RemoteCallsBinding);
    DWORD code = 0;
    __try {
        SendArguments(reinterpret_cast<const unsigned char*>(text.c_str()));
    } __except (code = GetExceptionCode(), EXCEPTION_EXECUTE_HANDLER) {
    }
    RpcStringFreeA(&binding);
    RpcBindingFree(&RemoteCallsBinding);
    return code;
}
