// The RemoteCalls interface through which a later start hands its arguments
// to the first instance, over the named pipe "\pipe\quennRemoteCalls".
#pragma once

#include <cstdint>

// What sendToFirstInstance returns: 0 when the call was made, also when the
// call itself failed (nobody serving, connection broken), else the step that
// failed.
constexpr int32_t kSendComposeFailed = -1;     // composing the string binding
constexpr int32_t kSendBindFailed = -2;        // the binding from it
constexpr int32_t kSendStringFreeFailed = -3;  // freeing the string binding
constexpr int32_t kSendBindingFreeFailed = -4; // freeing the binding

// What startRemoteCallsServer returns: 0 when listening, else the step that
// failed.
constexpr int32_t kServerEndpointFailed = -1; // taking the protocol sequence and endpoint
constexpr int32_t kServerRegisterFailed = -2; // registering the interface
constexpr int32_t kServerListenFailed = -3;   // starting to listen

// Sends the joined argument text to the first instance as UTF-16, with
// this start's working directory, over operation 2, so that the first
// instance can tell what a relative name means. A first instance of an
// older launcher gets the text alone over operation 1 or, knowing operation
// 0 alone, narrowText, the same arguments joined from the command line in
// the system code page, as such a launcher sends them (none when narrowText
// is null). A call that the first instance is too busy to take, or that
// finds it not yet listening, is made again for a few seconds.
int32_t sendToFirstInstance(const char16_t* text, const char* narrowText);

// Serves the interface on the runtime's own threads.
int32_t startRemoteCallsServer();
