// The client side of RemoteCalls: a later start hands its arguments over.
#include "remote_calls.h"
#include "call_retry.h"
#include "common/trace.h"
#include "remote_calls_formats.h"
#include "remote_calls_stubs_win.h"

#include <atomic>
#include <cstdio>
#include <memory>
#include <new>
#include <string>

#include "common/unique_handle_win.h"
#include "launcher/arguments.h"

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
    NdrClientCall2(const_cast<MIDL_STUB_DESC*>(&remoteCallsClientStubDesc),
                   procFormatString.format + remote_calls::kProcFormatOffsets[0], text);
}

void SendArgumentsWide(const wchar_t* text) {
    NdrClientCall2(const_cast<MIDL_STUB_DESC*>(&remoteCallsClientStubDesc),
                   procFormatString.format + remote_calls::kProcFormatOffsets[1], text);
}

void SendArgumentsFrom(const wchar_t* folder, const wchar_t* text) {
    NdrClientCall2(const_cast<MIDL_STUB_DESC*>(&remoteCallsClientStubDesc),
                   procFormatString.format + remote_calls::kProcFormatOffsets[2], folder, text);
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

DWORD sendWideGuarded(const wchar_t* text) {
    DWORD code = 0;
    __try {
        SendArgumentsWide(text);
    } __except (code = GetExceptionCode(), EXCEPTION_EXECUTE_HANDLER) {
    }
    return code;
}

DWORD sendFromGuarded(const wchar_t* folder, const wchar_t* text) {
    DWORD code = 0;
    __try {
        SendArgumentsFrom(folder, text);
    } __except (code = GetExceptionCode(), EXCEPTION_EXECUTE_HANDLER) {
    }
    return code;
}

// Makes the calls that nextHandOverCall names, each new binding made once
// the refused one is freed: a binding made while another to the same
// endpoint lives may share its connection. Returns the code of the last
// call made; when no new binding can be had, that of the refused call, and
// RemoteCallsBinding then holds none, so that freeing it fails.
DWORD sendByAnyOperation(const char16_t* folder, const char16_t* text, const char* narrowText,
                         unsigned char* stringBinding) {
    const auto* wideText = reinterpret_cast<const wchar_t*>(text);
    DWORD code = 0;
    for (NextCall next =
             nextHandOverCall(HandOverCall::None, 0, folder != nullptr, narrowText != nullptr);
         next.call != HandOverCall::None;
         next = nextHandOverCall(next.call, code, folder != nullptr, narrowText != nullptr)) {
        if (next.newBinding &&
            (RpcBindingFree(&RemoteCallsBinding) != RPC_S_OK ||
             RpcBindingFromStringBindingA(stringBinding, &RemoteCallsBinding) != RPC_S_OK)) {
            return code;
        }
        switch (next.call) {
        case HandOverCall::Probe:
            code = sendWideGuarded(L"");
            break;
        case HandOverCall::Wide:
            code = sendWideGuarded(wideText);
            break;
        case HandOverCall::Folder:
            code = sendFromGuarded(reinterpret_cast<const wchar_t*>(folder), wideText);
            break;
        case HandOverCall::Narrow:
            code = sendGuarded(reinterpret_cast<const unsigned char*>(narrowText));
            break;
        case HandOverCall::None:
            break;
        }
    }
    return code;
}

// One call on a binding of its own: after some failed calls the runtime
// misbehaves on the binding they used (Wine). Returns 0, or -1 to -4 for the
// binding steps; code takes the call's exception code, or 0, once the call
// has been made.
int32_t sendOnce(const char16_t* folder, const char16_t* text, const char* narrowText,
                 DWORD& code) {
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
    code = sendByAnyOperation(folder, text, narrowText, stringBinding);
    if (RpcStringFreeA(&stringBinding) != RPC_S_OK) {
        return kSendStringFreeFailed;
    }
    if (RpcBindingFree(&RemoteCallsBinding) != RPC_S_OK) {
        return kSendBindingFreeFailed;
    }
    return 0;
}

// Bounds the hand-over from a thread of its own. Once the bound is reached
// it cancels the call under way (Wine ignores both RpcMgmtSetComTimeout and
// the binding's call time-out) and the calling thread's synchronous I/O:
// Wine's runtime, closing the cancelled connection, flushes the pipe and
// waits until the first instance has read it. From then on no call begins.
// A cancelled call fails with a code that is never retried, since it may
// have reached the first instance. The thread owns what it watches and is
// never waited for: on a loaded machine under Wine, its creation costs the
// hand-over about 0.6 ms, waiting for its start and end 5 ms more.
class HandOverWatch {
  public:
    HandOverWatch() {
        std::unique_ptr<Watched> watched(new (std::nothrow) Watched);
        HANDLE caller = nullptr;
        if (!watched || !watched->done ||
            !DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &caller,
                             0, FALSE, DUPLICATE_SAME_ACCESS)) {
            return;
        }
        watched->caller.reset(caller);
        if (UniqueHandle(CreateThread(nullptr, 0, watch, watched.get(), 0, nullptr))) {
            watched_ = watched.release();
        }
    }
    ~HandOverWatch() {
        if (watched_ != nullptr) {
            SetEvent(watched_->done.get());
        }
    }
    HandOverWatch(const HandOverWatch&) = delete;
    HandOverWatch& operator=(const HandOverWatch&) = delete;

    bool overdue() const { return watched_ != nullptr && watched_->overdue; }

  private:
    struct Watched {
        const ULONGLONG began = GetTickCount64();
        std::atomic<bool> overdue{false};
        UniqueHandle done{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
        UniqueHandle caller;
    };

    static DWORD WINAPI watch(void* context) {
        const std::unique_ptr<Watched> self(static_cast<Watched*>(context));
        for (;;) {
            const auto since = static_cast<uint32_t>(GetTickCount64() - self->began);
            if (WaitForSingleObject(self->done.get(), cancelWaitMs(since)) != WAIT_TIMEOUT) {
                return 0;
            }
            if (!self->overdue.exchange(true)) {
                TRACE("hand-over: no answer within the bound; the call is cancelled");
            }
            RpcCancelThreadEx(self->caller.get(), 0);
            CancelSynchronousIo(self->caller.get());
        }
    }

    Watched* watched_ = nullptr;
};

// The hand-over's calls, within its bound. A first instance too busy to
// take the call: the same call again after a short pause, for a few
// seconds. Any other failure loses the arguments at once, and the caller
// signals the first instance all the same.
int32_t sendWithinBound(const char16_t* folder, const char16_t* text, const char* narrowText,
                        DWORD& code) {
    const HandOverWatch watch;
    int32_t result = sendOnce(folder, text, narrowText, code);
    TRACE("hand-over: send %ld, exception code %lu", static_cast<long>(result),
          static_cast<unsigned long>(code));
    const ULONGLONG firstFailure = GetTickCount64();
    for (int32_t retry = 1; result == 0 && isRetryableCallFailure(code); ++retry) {
        const int32_t pause =
            retryPauseMs(retry, static_cast<uint32_t>(GetTickCount64() - firstFailure));
        if (pause < 0) {
            break;
        }
        Sleep(static_cast<DWORD>(pause));
        if (watch.overdue()) {
            break;
        }
        result = sendOnce(folder, text, narrowText, code);
        TRACE("hand-over: send again after %ld ms, %ld, exception code %lu",
              static_cast<long>(pause), static_cast<long>(result),
              static_cast<unsigned long>(code));
    }
    return result;
}

} // namespace

int32_t sendToFirstInstance(const char16_t* text, const char* narrowText,
                            std::u16string_view senderFolder) {
    const std::u16string folderText(senderFolder);
    const char16_t* folder = folderText.empty() ? nullptr : folderText.c_str();
    DWORD code = 0;
    const int32_t result = sendWithinBound(folder, text, narrowText, code);
    if (code != 0) {
        // The C runtime's _snprintf and fputs, not printf: libstdc++ makes
        // printf MinGW's own, which would bring its whole formatter (about
        // 20 KB) into the executable.
        char line[64];
        _snprintf(line, sizeof line, "Runtime reported exception 0x%lx = %ld\n",
                  static_cast<unsigned long>(code), static_cast<long>(code));
        line[sizeof line - 1] = '\0';
        std::fputs(line, stdout);
    }
    return result;
}
