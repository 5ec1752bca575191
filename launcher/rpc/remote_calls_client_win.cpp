// The client side of RemoteCalls: a later start hands its arguments over.
#include "remote_calls.h"
#include "call_retry.h"
#include "common/trace.h"
#include "remote_calls_formats.h"
#include "remote_calls_stubs_win.h"

#include <cstdio>

handle_t RemoteCallsBinding = nullptr;

namespace {

const remote_calls::TypeFormatString typeFormatString = remote_calls::kTypeFormatString;
const remote_calls::ProcFormatString procFormatString = remote_calls::kProcFormatString;

// Options of the pipe connection: the server may identify this process but
// not act as it, should another process have taken the pipe's name.
constexpr const char* kBindingOptions = "Security=Identification Static True";

} // namespace

const RPC_CLIENT_INTERFACE remoteCallsClientInterface = {
    sizeof(RPC_CLIENT_INTERFACE),
    remote_calls::kInterfaceId,
    remote_calls::kNdrSyntax,
    nullptr,
    0,
    nullptr,
    0,
    nullptr,
    0,
};

const MIDL_STUB_DESC remoteCallsClientStubDesc =
    remote_calls::stubDescriptor(const_cast<RPC_CLIENT_INTERFACE*>(&remoteCallsClientInterface),
                                 &RemoteCallsBinding, typeFormatString.format);

void SendArguments(const unsigned char* text) {
    NdrClientCall2(const_cast<MIDL_STUB_DESC*>(&remoteCallsClientStubDesc), procFormatString.format,
                   text);
}

namespace {

// Kept apart from everything that needs unwinding: __try cannot share a
// function with C++ objects. Returns 0, or the code of the exception that
// the runtime raised for a failed call.
DWORD sendGuarded(const unsigned char* text) {
    DWORD code = 0;
    __try {
        SendArguments(text);
    } __except (code = GetExceptionCode(), EXCEPTION_EXECUTE_HANDLER) {
    }
    return code;
}

// One call on a binding of its own: after some failed calls the runtime
// misbehaves on the binding they used (Wine). Returns 0, or -1 to -4 for the
// binding steps; code takes the call's exception code, or 0, once the call
// has been made.
int32_t sendOnce(const char* text, DWORD& code) {
    unsigned char* stringBinding = nullptr;
    if (RpcStringBindingComposeA(nullptr, remote_calls::rpcText(remote_calls::kProtocolSequence),
                                 nullptr, remote_calls::rpcText(remote_calls::kEndpoint),
                                 remote_calls::rpcText(kBindingOptions),
                                 &stringBinding) != RPC_S_OK) {
        return kSendComposeFailed;
    }
    if (RpcBindingFromStringBindingA(stringBinding, &RemoteCallsBinding) != RPC_S_OK) {
        RpcStringFreeA(&stringBinding);
        return kSendBindFailed;
    }
    code = sendGuarded(reinterpret_cast<const unsigned char*>(text));
    if (RpcStringFreeA(&stringBinding) != RPC_S_OK) {
        return kSendStringFreeFailed;
    }
    if (RpcBindingFree(&RemoteCallsBinding) != RPC_S_OK) {
        return kSendBindingFreeFailed;
    }
    return 0;
}

} // namespace

int32_t sendToFirstInstance(const char* text) {
    DWORD code = 0;
    int32_t result = sendOnce(text, code);
    TRACE("hand-over: send %ld, exception code %lu", static_cast<long>(result),
          static_cast<unsigned long>(code));
    // A first instance too busy to take the call: the same call again after
    // a short pause, for a few seconds. Any other failure loses the
    // arguments at once, and the caller signals the first instance all the
    // same.
    const ULONGLONG firstFailure = GetTickCount64();
    for (int32_t retry = 1; result == 0 && isRetryableCallFailure(code); ++retry) {
        const int32_t pause =
            retryPauseMs(retry, static_cast<uint32_t>(GetTickCount64() - firstFailure));
        if (pause < 0) {
            break;
        }
        Sleep(static_cast<DWORD>(pause));
        result = sendOnce(text, code);
        TRACE("hand-over: send again after %ld ms, %ld, exception code %lu",
              static_cast<long>(pause), static_cast<long>(result),
              static_cast<unsigned long>(code));
    }
    if (code != 0) {
        std::printf("Runtime reported exception 0x%lx = %ld\n", static_cast<unsigned long>(code),
                    static_cast<long>(code));
    }
    return result;
}
