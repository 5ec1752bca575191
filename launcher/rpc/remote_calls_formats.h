// The NDR format strings of RemoteCalls::SendArguments. Each side includes
// this header and so holds its own copy, as interface-compiler output does.
#pragma once

namespace remote_calls {

struct TypeFormatString {
    short pad;
    unsigned char format[7];
};

struct ProcFormatString {
    short pad;
    unsigned char format[33];
};

// A reference pointer to a conformant string of 8-bit characters.
constexpr TypeFormatString kTypeFormatString = {
    0,
    {
        0x00,
        0x00, // leading zero
        0x11,
        0x08, // FC_RP [simple_pointer]
        0x22,
        0x5C, // FC_C_CSTRING, FC_PAD
        0x00,
    },
};

// Operation 0, SendArguments([in, string] unsigned char* text), with an
// implicit primitive handle.
constexpr ProcFormatString kProcFormatString = {
    0,
    {
        0x32,                   // FC_BIND_PRIMITIVE: implicit handle
        0x48,                   // has RPC flags, new initialisation routines
        0x00, 0x00, 0x00, 0x00, // RPC flags
        0x00, 0x00,             // procedure number 0
        0x08, 0x00,             // stack size: one pointer
        0x00, 0x00,             // constant client buffer size
        0x00, 0x00,             // constant server buffer size
        0x42,                   // client must size, has extensions; no return value
        0x01,                   // one parameter
        0x0A,                   // extension size
        0x01,                   // new correlation descriptors
        0x00, 0x00,             // client correlation hint
        0x00, 0x00,             // server correlation hint
        0x00, 0x00,             // notify index
        0x00, 0x00,             // floating-point argument mask
        0x0B, 0x01,             // text: must size, must free, in, simple reference
        0x00, 0x00,             // stack offset
        0x04, 0x00,             // type offset: the FC_C_CSTRING entry
        0x00,
    },
};

constexpr unsigned short kProcFormatOffsets[] = {0};

} // namespace remote_calls
