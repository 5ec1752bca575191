// The RemoteCalls stub tables, and a call through the real RPC runtime from
// this process to itself: what arrives in the hand-over queue.
#include "wine_test.h"

#include <cstring>
#include <string>
#include <vector>

#include "launcher/pending_files.h"
#include "launcher/rpc/remote_calls.h"
#include "launcher/rpc/remote_calls_stubs_win.h"
#include "tests/launcher/rpc/raw_client.h"

using namespace winetest;

namespace {

bool sameGuid(const GUID& guid, const char* text) {
    char formatted[40];
    std::snprintf(formatted, sizeof formatted, "%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X",
                  guid.Data1, guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1], guid.Data4[2],
                  guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
    return std::strcmp(formatted, text) == 0;
}

void checkIdentities(const RPC_SYNTAX_IDENTIFIER& interfaceId,
                     const RPC_SYNTAX_IDENTIFIER& transferSyntax) {
    ok(sameGuid(interfaceId.SyntaxGUID, "DF40125E-822B-4BBE-A3FC-7B0B486CFAC7"), "interface UUID");
    ok(interfaceId.SyntaxVersion.MajorVersion == 1 && interfaceId.SyntaxVersion.MinorVersion == 0,
       "interface version %u.%u", interfaceId.SyntaxVersion.MajorVersion,
       interfaceId.SyntaxVersion.MinorVersion);
    ok(sameGuid(transferSyntax.SyntaxGUID, "8A885D04-1CEB-11C9-9FE8-08002B104860"),
       "NDR transfer syntax");
    ok(transferSyntax.SyntaxVersion.MajorVersion == 2 &&
           transferSyntax.SyntaxVersion.MinorVersion == 0,
       "NDR version");
}

void checkStubDesc(const MIDL_STUB_DESC& desc, const void* interfaceRecord) {
    ok(desc.RpcInterfaceInformation == interfaceRecord, "stub descriptor names its interface");
    ok(desc.pfnAllocate == MIDL_user_allocate && desc.pfnFree == MIDL_user_free,
       "allocation routines");
    static const unsigned char kTypeFormat[7] = {0x00, 0x00, 0x11, 0x08, 0x22, 0x5C, 0x00};
    ok(desc.pFormatTypes != nullptr && std::memcmp(desc.pFormatTypes, kTypeFormat, 7) == 0,
       "type format string");
    ok(desc.apfnNdrRundownRoutines == nullptr && desc.aGenericBindingRoutinePairs == nullptr &&
           desc.apfnExprEval == nullptr && desc.aXmitQuintuple == nullptr &&
           desc.pMallocFreeStruct == nullptr && desc.CommFaultOffsets == nullptr &&
           desc.aUserMarshalQuadruple == nullptr && desc.NotifyRoutineTable == nullptr &&
           desc.CsRoutineTables == nullptr,
       "no optional tables");
    ok(desc.fCheckBounds == 1, "bounds checking on");
    ok(desc.Version == 0x50002, "NDR version 0x%lx", desc.Version);
    ok(desc.MIDLVersion == 0x0800025B, "stub compiler version 0x%lx", desc.MIDLVersion);
    ok(desc.mFlags == 1, "stub flags %llu", static_cast<unsigned long long>(desc.mFlags));
}

void testStubTables() {
    group = "stub tables";
    const RPC_CLIENT_INTERFACE& client = remoteCallsClientInterface;
    ok(client.Length == sizeof(RPC_CLIENT_INTERFACE), "client interface length %u", client.Length);
    checkIdentities(client.InterfaceId, client.TransferSyntax);
    ok(client.DispatchTable == nullptr && client.RpcProtseqEndpointCount == 0 &&
           client.RpcProtseqEndpoint == nullptr && client.InterpreterInfo == nullptr &&
           client.Flags == 0,
       "client interface carries nothing else");
    checkStubDesc(remoteCallsClientStubDesc, &client);
    ok(remoteCallsClientStubDesc.IMPLICIT_HANDLE_INFO.pPrimitiveHandle == &RemoteCallsBinding,
       "client binds through RemoteCallsBinding");

    const RPC_SERVER_INTERFACE& server = remoteCallsServerInterface;
    ok(server.Length == sizeof(RPC_SERVER_INTERFACE), "server interface length %u", server.Length);
    checkIdentities(server.InterfaceId, server.TransferSyntax);
    ok(server.DispatchTable != nullptr && server.DispatchTable->DispatchTableCount == 1 &&
           server.DispatchTable->DispatchTable[0] == NdrServerCall2,
       "dispatch table: NdrServerCall2 alone");
    ok(server.RpcProtseqEndpointCount == 0 && server.RpcProtseqEndpoint == nullptr &&
           server.DefaultManagerEpv == nullptr,
       "no endpoints or manager vector in the record");
    ok(server.InterpreterInfo == &remoteCallsServerInfo, "interpreter information");
    ok(server.Flags == 0x04000000, "server flags 0x%x", server.Flags);
    checkStubDesc(remoteCallsServerStubDesc, &server);
    ok(remoteCallsServerStubDesc.IMPLICIT_HANDLE_INFO.pPrimitiveHandle == nullptr,
       "server has no implicit handle");

    const MIDL_SERVER_INFO& info = remoteCallsServerInfo;
    ok(info.pStubDesc == &remoteCallsServerStubDesc, "server info names the server descriptor");
    ok(info.DispatchTable != nullptr &&
           info.DispatchTable[0] == reinterpret_cast<SERVER_ROUTINE>(receiveSendArguments),
       "manager routine is the receiving routine");
    ok(reinterpret_cast<void*>(receiveSendArguments) != reinterpret_cast<void*>(SendArguments),
       "client stub and receiving routine are distinct");
    static const unsigned char kProcFormat[33] = {
        0x32, 0x48, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x08, 0x00, 0x00,
        0x00, 0x00, 0x00, 0x42, 0x01, 0x0A, 0x01, 0x00, 0x00, 0x00, 0x00,
        0x00, 0x00, 0x00, 0x00, 0x0B, 0x01, 0x00, 0x00, 0x04, 0x00, 0x00};
    ok(info.ProcString != nullptr && std::memcmp(info.ProcString, kProcFormat, 33) == 0,
       "procedure format string");
    ok(info.FmtStringOffset != nullptr && info.FmtStringOffset[0] == 0, "offset table");
    ok(info.ThunkTable == nullptr && info.pTransferSyntax == nullptr && info.nCount == 0 &&
           info.pSyntaxInfo == nullptr,
       "no thunks, no further syntaxes");
    ok(remoteCallsClientStubDesc.pFormatTypes != remoteCallsServerStubDesc.pFormatTypes,
       "each side holds its own type format string");
}

std::vector<std::vector<std::string>> takeAll() {
    std::vector<std::vector<std::string>> lists;
    for (const auto& list : takePendingFiles()) {
        lists.emplace_back(list->entries, list->entries + list->count);
    }
    return lists;
}

void testRoundTrip() {
    group = "round trip";
    SetLastError(0xdeadbeef);
    int32_t started = startRemoteCallsServer();
    // Wine accepts the local-only registration with its security callback
    // (it never calls the callback); Windows enforces both.
    ok(started == 0, "startRemoteCallsServer: %d", started);
    if (started != 0) {
        return;
    }
    takeAll();

    ok(sendToFirstInstance("a|b|") == 0, "send a|b|");
    auto lists = takeAll();
    ok((lists.size() == 1 && lists[0] == std::vector<std::string>{"a", "b"}),
       "a|b| arrives as one list of two entries");

    ok(sendToFirstInstance("x|y|") == 0 && sendToFirstInstance("z|") == 0, "two sends");
    lists = takeAll();
    ok((lists.size() == 2 && lists[0] == std::vector<std::string>{"x", "y"} &&
        lists[1] == std::vector<std::string>{"z"}),
       "two hand-overs are both kept, in order");

    ok(sendToFirstInstance("|||") == 0 && takeAll().empty(), "bars only add no list");

    group = "bad input";
    const std::string megabyte(1 << 20, 'm');
    DWORD code = sendRaw(megabyte + "|ok|");
    // Windows refuses a request above the registered maximum size with an
    // exception; Wine does not enforce the maximum and delivers it.
    lists = takeAll();
    ok((code != 0 || (lists.size() == 1 && lists[0] == std::vector<std::string>{"ok"})),
       "1 MB text: code 0x%lx, %zu lists", code, lists.size());

    ok(sendRaw(std::string(100000, '|')) == 0 && takeAll().empty(), "100,000 bars add nothing");

    std::string fields;
    for (int i = 0; i < 30; ++i) {
        fields +=
            std::string(600, 'f') + "|" + std::string(511, static_cast<char>('A' + i % 26)) + "|";
    }
    ok(sendRaw(fields) == 0, "600-character fields sent");
    lists = takeAll();
    bool limits = lists.size() == 1 && lists[0].size() == 20;
    for (std::size_t i = 0; limits && i < 20; ++i) {
        limits = lists[0][i] == std::string(511, static_cast<char>('A' + i % 26));
    }
    ok(limits, "over-long fields are dropped whole and twenty entries kept");

    std::string high;
    for (int c = 0x80; c <= 0xFF; ++c) {
        high += static_cast<char>(c);
    }
    ok(sendRaw(high + "|") == 0, "bytes of 0x80 and above sent");
    lists = takeAll();
    ok(lists.size() == 1 && lists[0].size() == 1 && lists[0][0] == high,
       "bytes of 0x80 and above arrive unchanged");

    for (std::size_t i = 0; i < kMaxPendingLists + 10; ++i) {
        sendRaw("flood|");
    }
    ok(takeAll().size() == kMaxPendingLists, "a flood is bounded at %zu lists", kMaxPendingLists);
}

} // namespace

int main() {
    testStubTables();
    testRoundTrip();
    return finish("remote_calls_test");
}
