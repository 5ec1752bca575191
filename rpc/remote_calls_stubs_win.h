// The RemoteCalls stub tables, shared by the client and server routines and
// by the tests that check them.
#pragma once

#include <windows.h>
#include <rpc.h>
#include <rpcndr.h>

namespace remote_calls {

// RemoteCalls 1.0, carried in NDR 2.0 only.
inline constexpr RPC_SYNTAX_IDENTIFIER kInterfaceId = {
    {0xDF40125E, 0x822B, 0x4BBE, {0xA3, 0xFC, 0x7B, 0x0B, 0x48, 0x6C, 0xFA, 0xC7}}, {1, 0}};
inline constexpr RPC_SYNTAX_IDENTIFIER kNdrSyntax = {
    {0x8A885D04, 0x1CEB, 0x11C9, {0x9F, 0xE8, 0x08, 0x00, 0x2B, 0x10, 0x48, 0x60}}, {2, 0}};

// Where the first instance listens: a named pipe on this machine.
inline constexpr const char* kProtocolSequence = "ncacn_np";
inline constexpr const char* kEndpoint = "\\pipe\\quennRemoteCalls";

// The runtime's functions take texts as non-const unsigned char*, and only
// read them.
inline unsigned char* rpcText(const char* text) {
    return reinterpret_cast<unsigned char*>(const_cast<char*>(text));
}

// Both sides describe their stubs alike; they differ only in the interface
// record, the client's implicit binding and whose copy of the type format
// string is named.
constexpr MIDL_STUB_DESC stubDescriptor(void* interfaceInfo, handle_t* implicitBinding,
                                        const unsigned char* typeFormat) {
    return {
        interfaceInfo,
        MIDL_user_allocate,
        MIDL_user_free,
        {implicitBinding},
        nullptr,
        nullptr,
        nullptr,
        nullptr,
        typeFormat,
        1,       // bounds checking
        0x50002, // NDR version
        nullptr,
        0x0800025B, // stub compiler version
        nullptr,
        nullptr,
        nullptr,
        1, // stub flags
        nullptr,
        nullptr,
        0,
    };
}

} // namespace remote_calls

extern handle_t RemoteCallsBinding;

extern const RPC_CLIENT_INTERFACE remoteCallsClientInterface;
extern const MIDL_STUB_DESC remoteCallsClientStubDesc;
extern const RPC_SERVER_INTERFACE remoteCallsServerInterface;
extern const MIDL_STUB_DESC remoteCallsServerStubDesc;
extern const MIDL_SERVER_INFO remoteCallsServerInfo;

// The client stubs: each marshals its texts and calls its operation (0, 1
// and 2) on RemoteCallsBinding, and raises an exception for any failure of
// the call.
void SendArguments(const unsigned char* text);
void SendArgumentsWide(const wchar_t* text);
void SendArgumentsFrom(const wchar_t* folder, const wchar_t* text);

// The receiving routines that the server stub calls for each call received,
// by operation.
void receiveSendArguments(unsigned char* text);
void receiveSendArgumentsWide(wchar_t* text);
void receiveSendArgumentsFrom(wchar_t* folder, wchar_t* text);

// MIDL_user_allocate and MIDL_user_free, which both stub descriptors name,
// are declared by <rpcndr.h>.
