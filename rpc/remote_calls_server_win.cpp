// The server side of RemoteCalls: the first instance receives the arguments
// of later starts on the RPC runtime's threads.
#include "remote_calls.h"
#include "remote_calls_formats.h"
#include "remote_calls_stubs_win.h"

#include <sddl.h>

#include "caller_identity.h"
#include "common/trace.h"
#include "common/unique_handle_win.h"
#include "launcher/pending_files.h"
#include "launcher/sender_folder.h"

namespace {

const remote_calls::TypeFormatString typeFormatString = remote_calls::kTypeFormatString;
const remote_calls::ProcFormatString procFormatString = remote_calls::kProcFormatString;

// Operations 0, 1 and 2, by procedure number.
RPC_DISPATCH_FUNCTION dispatchFunctions[] = {NdrServerCall2, NdrServerCall2, NdrServerCall2,
                                             nullptr};
RPC_DISPATCH_TABLE dispatchTable = {3, dispatchFunctions, 0};

const SERVER_ROUTINE managerRoutines[] = {
    reinterpret_cast<SERVER_ROUTINE>(receiveSendArguments),
    reinterpret_cast<SERVER_ROUTINE>(receiveSendArgumentsWide),
    reinterpret_cast<SERVER_ROUTINE>(receiveSendArgumentsFrom),
};

constexpr unsigned int kMaxCalls = 20;

// Far above the largest request a launcher sends (8191 UTF-16 units, 16 KB,
// and the string's counts), so that only outsized calls are refused.
constexpr unsigned int kMaxRequestSize = 64 * 1024;

// The user and session that this process runs in, taken once at start.
CallerIdentity serverIdentity;

// This process's working directory, against which the application resolves
// relative names, as the caller found it at start; while empty, every
// handed-over name stays as given.
std::u16string serverFolder;

CallerIdentity tokenIdentity(HANDLE token) {
    CallerIdentity identity;
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    if (size == 0) {
        return identity;
    }
    std::vector<unsigned char> buffer(size);
    DWORD sessionId = 0;
    DWORD sessionSize = sizeof sessionId;
    if (!GetTokenInformation(token, TokenUser, buffer.data(), size, &size) ||
        !GetTokenInformation(token, TokenSessionId, &sessionId, sessionSize, &sessionSize)) {
        return identity;
    }
    PSID sid = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
    if (!IsValidSid(sid)) {
        return identity;
    }
    const auto* bytes = static_cast<const unsigned char*>(sid);
    identity.userSid.assign(bytes, bytes + GetLengthSid(sid));
    identity.sessionId = sessionId;
    identity.known = true;
    return identity;
}

CallerIdentity processIdentity() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return {};
    }
    const UniqueHandle owned(token);
    return tokenIdentity(token);
}

CallerIdentity impersonatedIdentity() {
    HANDLE token = nullptr;
    if (!OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token)) {
        return {}; // not impersonating, or an anonymous caller
    }
    const UniqueHandle owned(token);
    return tokenIdentity(token);
}

// Admits only callers of this process's own user and logon session; the
// endpoint's pipe is visible machine-wide.
RPC_STATUS RPC_ENTRY admitCaller(RPC_IF_HANDLE, void* binding) {
    if (RpcImpersonateClient(binding) != RPC_S_OK) {
        return RPC_S_ACCESS_DENIED;
    }
    const CallerIdentity caller = impersonatedIdentity();
    if (RpcRevertToSelf() != RPC_S_OK) {
        return RPC_S_ACCESS_DENIED;
    }
    return admitsCaller(serverIdentity, caller) ? RPC_S_OK : RPC_S_ACCESS_DENIED;
}

// Access to the pipe for this user and the system only, so that no other
// user can add instances of it. Deliberately never freed: the runtime uses
// it for every new pipe instance, for the life of the process.
PSECURITY_DESCRIPTOR endpointSecurityDescriptor(const CallerIdentity& owner) {
    char* sidText = nullptr;
    if (!owner.known ||
        !ConvertSidToStringSidA(const_cast<unsigned char*>(owner.userSid.data()), &sidText)) {
        return nullptr;
    }
    const UniqueLocal ownedText(sidText);
    const std::string sddl = endpointSecurity(sidText);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl.c_str(), SDDL_REVISION_1,
                                                              &descriptor, nullptr)) {
        return nullptr;
    }
    return descriptor;
}

} // namespace

const MIDL_STUB_DESC remoteCallsServerStubDesc =
    remote_calls::stubDescriptor(const_cast<RPC_SERVER_INTERFACE*>(&remoteCallsServerInterface),
                                 nullptr, typeFormatString.format);

const MIDL_SERVER_INFO remoteCallsServerInfo = {
    &remoteCallsServerStubDesc,
    managerRoutines,
    procFormatString.format,
    remote_calls::kProcFormatOffsets,
    nullptr,
    nullptr,
    0,
    nullptr,
};

const RPC_SERVER_INTERFACE remoteCallsServerInterface = {
    sizeof(RPC_SERVER_INTERFACE),
    remote_calls::kInterfaceId,
    remote_calls::kNdrSyntax,
    &dispatchTable,
    0,
    nullptr,
    nullptr,
    &remoteCallsServerInfo,
    0x04000000,
};

namespace {

void traceReceived(int operation, const ReceivedText& received) {
    TRACE("hand-over received over operation %d: %ld entries kept; dropped %ld too long, %ld "
          "beyond twenty%s",
          operation, static_cast<long>(received.kept), static_cast<long>(received.dropped.tooLong),
          static_cast<long>(received.dropped.beyondLimit),
          received.queueFull     ? ", the list as the queue is full"
          : received.outOfMemory ? ", the list for want of memory"
                                 : "");
}

} // namespace

void receiveSendArguments(unsigned char* text) {
    // The runtime's thread must come back at once and must see no
    // exception, whatever arrived: the queue copies what fits and drops the rest.
    ReceivedText received;
    queueForwardedText(reinterpret_cast<const char*>(text), &received);
    traceReceived(0, received);
}

void receiveSendArgumentsWide(wchar_t* text) {
    // As above; wchar_t is char16_t's representation on Windows.
    ReceivedText received;
    queueForwardedText(std::u16string_view(reinterpret_cast<const char16_t*>(text)), &received);
    traceReceived(1, received);
}

namespace {

// Each entry that names an existing file or folder relative to the sender's
// working directory becomes its full path here; every other entry stays as
// the user gave it.
void resolveFromSender(WideArgList& list, const void* context) noexcept {
    try {
        const auto senderFolder = *static_cast<const std::u16string_view*>(context);
        const std::u16string& folder = serverFolder;
        if (folder.empty()) {
            return;
        }
        int32_t resolved = 0;
        for (int32_t i = 0; i < list.count; ++i) {
            char16_t* entry = list.entries[i];
            const std::u16string path = handedOverPath(entry, senderFolder, folder);
            if (path.empty() || GetFileAttributesW(reinterpret_cast<const wchar_t*>(
                                    path.c_str())) == INVALID_FILE_ATTRIBUTES) {
                continue;
            }
            path.copy(entry, path.size());
            entry[path.size()] = u'\0';
            ++resolved;
        }
        TRACE("hand-over: %ld of %ld entries taken by their full path in the sender's folder",
              static_cast<long>(resolved), static_cast<long>(list.count));
    } catch (...) {
        // Out of memory: the entries stay as given.
    }
}

} // namespace

void receiveSendArgumentsFrom(wchar_t* folder, wchar_t* text) {
    // As above. The folder is that of the later start, where the user's
    // relative names mean something.
    const std::u16string_view senderFolder(reinterpret_cast<const char16_t*>(folder));
    ReceivedText received;
    queueForwardedText(std::u16string_view(reinterpret_cast<const char16_t*>(text)), &received,
                       resolveFromSender, &senderFolder);
    traceReceived(2, received);
}

int32_t startRemoteCallsServer(std::u16string_view ownFolder) {
    serverFolder = ownFolder; // before any call can arrive
    serverIdentity = processIdentity();
    PSECURITY_DESCRIPTOR security = endpointSecurityDescriptor(serverIdentity);
    if (security == nullptr ||
        RpcServerUseProtseqEpA(remote_calls::rpcText(remote_calls::kProtocolSequence), kMaxCalls,
                               remote_calls::rpcText(remote_calls::kEndpoint),
                               security) != RPC_S_OK) {
        return kServerEndpointFailed;
    }
    // Local callers only; the callback checks who they are. Today's clients
    // do not authenticate, so unauthenticated calls must reach the callback.
    if (RpcServerRegisterIf2(const_cast<RPC_SERVER_INTERFACE*>(&remoteCallsServerInterface),
                             nullptr, nullptr,
                             RPC_IF_ALLOW_LOCAL_ONLY | RPC_IF_ALLOW_CALLBACKS_WITH_NO_AUTH,
                             kMaxCalls, kMaxRequestSize, admitCaller) != RPC_S_OK) {
        return kServerRegisterFailed;
    }
    if (RpcServerListen(1, kMaxCalls, 1) != RPC_S_OK) {
        return kServerListenFailed;
    }
    return 0;
}
