// The RemoteCalls stub tables, and a call through the real RPC runtime from
// this process to itself: what arrives in the hand-over queue.
#include "wine_test.h"

#include <cstring>
#include <string>
#include <vector>

#include "launcher/pending_files.h"
#include "tests/launcher/taken_lists.h"
#include "rpc/remote_calls.h"
#include "rpc/remote_calls_stubs_win.h"
#include "tests/rpc/raw_client.h"

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
    // Operation 0's entries, then operation 1's: FC_RP [simple], FC_C_CSTRING
    // or FC_C_WSTRING, FC_PAD.
    static const unsigned char kTypeFormat[11] = {0x00, 0x00, 0x11, 0x08, 0x22, 0x5C,
                                                  0x11, 0x08, 0x25, 0x5C, 0x00};
    ok(desc.pFormatTypes != nullptr && std::memcmp(desc.pFormatTypes, kTypeFormat, 11) == 0,
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
    ok(server.DispatchTable != nullptr && server.DispatchTable->DispatchTableCount == 3 &&
           server.DispatchTable->DispatchTable[0] == NdrServerCall2 &&
           server.DispatchTable->DispatchTable[1] == NdrServerCall2 &&
           server.DispatchTable->DispatchTable[2] == NdrServerCall2 &&
           server.DispatchTable->Reserved == 0,
       "dispatch table: NdrServerCall2 for operations 0, 1 and 2");
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
           info.DispatchTable[0] == reinterpret_cast<SERVER_ROUTINE>(receiveSendArguments) &&
           info.DispatchTable[1] == reinterpret_cast<SERVER_ROUTINE>(receiveSendArgumentsWide) &&
           info.DispatchTable[2] == reinterpret_cast<SERVER_ROUTINE>(receiveSendArgumentsFrom),
       "manager routines are the receiving routines, by operation");
    ok(reinterpret_cast<void*>(receiveSendArguments) != reinterpret_cast<void*>(SendArguments) &&
           reinterpret_cast<void*>(receiveSendArgumentsWide) !=
               reinterpret_cast<void*>(SendArgumentsWide),
       "client stubs and receiving routines are distinct");
    // Operation 0 at offset 0 (procedure 0, type offset 4), operation 1 at
    // offset 32 (procedure 1, type offset 8), operation 2 at 64 (procedure 2,
    // two parameters of type offset 8).
    static const unsigned char kProcFormat[103] = {
        0x32, 0x48, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x08, 0x00, 0x00, 0x00, 0x00, 0x00, 0x42,
        0x01, 0x0A, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0B, 0x01, 0x00, 0x00,
        0x04, 0x00, 0x32, 0x48, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x08, 0x00, 0x00, 0x00, 0x00,
        0x00, 0x42, 0x01, 0x0A, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0B, 0x01,
        0x00, 0x00, 0x08, 0x00, 0x32, 0x48, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x10, 0x00, 0x00,
        0x00, 0x00, 0x00, 0x42, 0x02, 0x0A, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
        0x0B, 0x01, 0x00, 0x00, 0x08, 0x00, 0x0B, 0x01, 0x08, 0x00, 0x08, 0x00, 0x00};
    ok(info.ProcString != nullptr && std::memcmp(info.ProcString, kProcFormat, 103) == 0,
       "procedure format string");
    ok(info.FmtStringOffset != nullptr && info.FmtStringOffset[0] == 0 &&
           info.FmtStringOffset[1] == 32 && info.FmtStringOffset[2] == 64,
       "offset table");
    ok(info.ThunkTable == nullptr && info.pTransferSyntax == nullptr && info.nCount == 0 &&
           info.pSyntaxInfo == nullptr,
       "no thunks, no further syntaxes");
    ok(remoteCallsClientStubDesc.pFormatTypes != remoteCallsServerStubDesc.pFormatTypes,
       "each side holds its own type format string");
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

    // A later start sends UTF-16 over operation 1, to a first instance that
    // knows it: the narrow text is never sent.
    ok(sendToFirstInstance(u"a|b|", "narrow|") == 0, "send a|b|");
    auto lists = takeAll();
    ok(lists.size() == 1 && lists[0] == wideList({u"a", u"b"}),
       "a|b| arrives as one UTF-16 list of two entries");

    ok(sendToFirstInstance(u"x|y|", "x|y|") == 0 && sendToFirstInstance(u"z|", nullptr) == 0,
       "two sends");
    lists = takeAll();
    ok(lists.size() == 2 && lists[0] == wideList({u"x", u"y"}) && lists[1] == wideList({u"z"}),
       "two hand-overs are both kept, in order");

    ok(sendToFirstInstance(u"|||", "|||") == 0 && takeAll().empty(), "bars only add no list");

    // Both operations feed the one queue, in the order the calls came.
    const std::u16string unicode = u"Za\u017C\u00F3\u0142\u0107|\U0001F600\xD800|a\uFF5Cb|";
    ok(sendRaw("old|") == 0 && sendToFirstInstance(unicode.c_str(), "Zazolc|") == 0 &&
           sendRaw("older|") == 0,
       "operation 0, operation 1, operation 0");
    lists = takeAll();
    ok((lists.size() == 3 && lists[0] == narrowList({"old"}) &&
        lists[1] == wideList({u"Za\u017C\u00F3\u0142\u0107", u"\U0001F600\xD800", u"a\uFF5Cb"}) &&
        lists[2] == narrowList({"older"})),
       "the lists of both operations are not kept in arrival order, each of its kind");

    group = "bad input";
    const std::string megabyte(1 << 20, 'm');
    DWORD code = sendRaw(megabyte + "|ok|");
    // Windows refuses a request above the registered maximum size with an
    // exception; Wine does not enforce the maximum and delivers it.
    lists = takeAll();
    ok((code != 0 || (lists.size() == 1 && lists[0] == narrowList({"ok"}))),
       "1 MB text: code 0x%lx, %zu lists", code, lists.size());
    code = sendRawWide(std::u16string(1 << 20, u'\u00E9') + u"|ok|");
    lists = takeAll();
    ok((code != 0 || (lists.size() == 1 && lists[0] == wideList({u"ok"}))),
       "1 M units over operation 1: code 0x%lx, %zu lists", code, lists.size());

    ok(sendRaw(std::string(100000, '|')) == 0 && takeAll().empty(), "100,000 bars add nothing");
    ok(sendRawWide(std::u16string(100000, u'|')) == 0 && takeAll().empty(),
       "100,000 bars over operation 1 add nothing");

    // Twenty entries of 511 kept, fields of 600 dropped whole, in either width.
    std::string fields;
    std::u16string wideFields;
    std::vector<std::string> twenty;
    std::vector<std::u16string> wideTwenty;
    for (int i = 0; i < 30; ++i) {
        const std::string kept(511, static_cast<char>('A' + i % 26));
        fields += std::string(600, 'f') + "|" + kept + "|";
        const std::u16string wideKept = std::u16string(509, u'\u0416') + u"\U0001F600";
        wideFields += std::u16string(600, u'\xD800') + u"|" + wideKept + u"|";
        if (twenty.size() < 20) {
            twenty.push_back(kept);
            wideTwenty.push_back(wideKept);
        }
    }
    ok(sendRaw(fields) == 0 && sendRawWide(wideFields) == 0, "600-unit fields sent");
    lists = takeAll();
    ok(lists.size() == 2 && lists[0] == narrowList(twenty) && lists[1] == wideList(wideTwenty),
       "over-long fields are dropped whole and twenty entries kept");

    std::string high;
    for (int c = 0x80; c <= 0xFF; ++c) {
        high += static_cast<char>(c);
    }
    ok(sendRaw(high + "|") == 0, "bytes of 0x80 and above sent");
    lists = takeAll();
    ok(lists.size() == 1 && lists[0] == narrowList({high}),
       "bytes of 0x80 and above arrive unchanged");

    // Unpaired surrogates of either half, alone and in the wrong order, and
    // the last units of the plane reach the queue unchanged.
    const std::u16string lone = u"\xD800|\xDFFF|\xDC00\xD800|x\xDBFF|\uFFFE\uFFFF|";
    ok(sendRawWide(lone) == 0, "unpaired surrogates sent");
    lists = takeAll();
    ok(lists.size() == 1 && lists[0] == wideList({u"\xD800", u"\xDFFF", u"\xDC00\xD800", u"x\xDBFF",
                                                  u"\uFFFE\uFFFF"}),
       "unpaired surrogates do not arrive unchanged");

    for (std::size_t i = 0; i < kMaxPendingLists + 10; ++i) {
        if (i % 2 == 0) {
            sendRaw("flood|");
        } else {
            sendRawWide(u"flood|");
        }
    }
    ok(takeAll().size() == kMaxPendingLists, "a flood of both operations is bounded at %zu lists",
       kMaxPendingLists);
}

} // namespace

int main() {
    testStubTables();
    testRoundTrip();
    return finish("remote_calls_test");
}
