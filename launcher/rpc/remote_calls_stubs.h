// The RemoteCalls stub tables, shared by the client and server routines and
// by the tests that check them.
#pragma once

#include <windows.h>
#include <rpc.h>
#include <rpcndr.h>

extern handle_t RemoteCallsBinding;

extern const RPC_CLIENT_INTERFACE remoteCallsClientInterface;
extern const MIDL_STUB_DESC remoteCallsClientStubDesc;
extern const RPC_SERVER_INTERFACE remoteCallsServerInterface;
extern const MIDL_STUB_DESC remoteCallsServerStubDesc;
extern const MIDL_SERVER_INFO remoteCallsServerInfo;

// The client stub: marshals text and calls operation 0 on RemoteCallsBinding.
// Raises an exception for any failure of the call.
void SendArguments(const unsigned char* text);

// The receiving routine that the server stub calls for each call received.
void receiveSendArguments(unsigned char* text);

// MIDL_user_allocate and MIDL_user_free, which both stub descriptors name,
// are declared by <rpcndr.h>.
