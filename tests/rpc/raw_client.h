// A client of the RemoteCalls endpoint of the tests' own, which calls either
// operation through the client stubs with whatever text, as any peer of the
// interface may.
#pragma once

#include <string>

#include "rpc/remote_calls_stubs_win.h"
#include "wine_test.h"

namespace rawclient {

// Kept apart from everything that needs unwinding, for __try.
inline DWORD callGuarded(int operation, const void* text) {
    DWORD code = 0;
    __try {
        if (operation == 0) {
            SendArguments(static_cast<const unsigned char*>(text));
        } else {
            SendArgumentsWide(static_cast<const wchar_t*>(text));
        }
    } __except (code = GetExceptionCode(), EXCEPTION_EXECUTE_HANDLER) {
    }
    return code;
}

// A binding to the endpoint in RemoteCallsBinding, or false; a binding that
// cannot be made is a fault of the test's set-up, reported as such.
inline bool bind() {
    unsigned char* binding = nullptr;
    RPC_STATUS status =
        RpcStringBindingComposeA(nullptr, (unsigned char*)"ncacn_np", nullptr,
                                 (unsigned char*)"\\pipe\\quennRemoteCalls", nullptr, &binding);
    if (!ok(status == RPC_S_OK, "set-up: RpcStringBindingComposeA: %ld", status)) {
        return false;
    }
    status = RpcBindingFromStringBindingA(binding, &RemoteCallsBinding);
    ok(status == RPC_S_OK, "set-up: RpcBindingFromStringBindingA: %ld", status);
    ok(RpcStringFreeA(&binding) == RPC_S_OK, "set-up: the string binding could not be freed");
    return status == RPC_S_OK;
}

inline void unbind() {
    ok(RpcBindingFree(&RemoteCallsBinding) == RPC_S_OK, "set-up: the binding could not be freed");
}

// One call of the operation on a binding of its own. Returns 0, or the code
// of the exception that the call raised.
inline DWORD send(int operation, const void* text) {
    if (!bind()) {
        return RPC_S_INVALID_BINDING;
    }
    const DWORD code = callGuarded(operation, text);
    unbind();
    return code;
}

} // namespace rawclient

// Operation 0, with a narrow text.
inline DWORD sendRaw(const std::string& text) {
    return rawclient::send(0, text.c_str());
}

// Operation 1, with UTF-16 units.
inline DWORD sendRawWide(const std::u16string& text) {
    return rawclient::send(1, text.c_str());
}
