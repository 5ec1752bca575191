// The RemoteCalls interface through which a later start hands its arguments
// to the first instance, over the named pipe "\pipe\quennRemoteCalls".
#pragma once

#include <cstdint>
#include <string_view>

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

// Sends the joined argument text to the first instance as UTF-16, over
// operation 1. A first instance of an older launcher knows operation 0
// alone; it gets narrowText instead, the same arguments joined from the
// command line in the system code page, as such a launcher sends them (none
// when narrowText is null). Where the arguments name files relative to this
// start's working directory, the caller gives that folder (senderFolder,
// empty for none), and the text goes with it over operation 2, so that the
// first instance can tell what they mean, where it serves that operation. A
// call that the first instance is too busy to take, or that finds it not
// yet listening, is made again for a few seconds. Whatever the first
// instance does, the hand-over ends within 14 s of its first call: a call
// still under way then is cancelled and fails.
int32_t sendToFirstInstance(const char16_t* text, const char* narrowText,
                            std::u16string_view senderFolder = {});

// Serves the interface on the runtime's own threads. The names that later
// starts hand over with their folder are taken by their full paths where
// ownFolder, this process's working directory, is another (none while it is
// empty).
int32_t startRemoteCallsServer(std::u16string_view ownFolder = {});
