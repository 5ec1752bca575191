// The NDR format strings of the RemoteCalls interface. Each side includes
// this header and so holds its own copy, as interface-compiler output does.
//
// Operation 0 came first, and launchers already installed know it alone, or
// it and operation 1: their entries keep their bytes and offsets, and each
// later operation's follow them.
#pragma once

namespace remote_calls {

struct TypeFormatString {
    short pad;
    unsigned char format[11];
};

struct ProcFormatString {
    short pad;
    unsigned char format[103];
};

// For each operation, a reference pointer to a conformant string: of 8-bit
// characters for operation 0, of 16-bit ones for operation 1.
constexpr TypeFormatString kTypeFormatString = {
    0,
    {
        0x00,
        0x00, // leading zero
        0x11,
        0x08, // FC_RP [simple_pointer]
        0x22,
        0x5C, // FC_C_CSTRING, FC_PAD
        0x11,
        0x08, // FC_RP [simple_pointer]
        0x25,
        0x5C, // FC_C_WSTRING, FC_PAD
        0x00,
    },
};

// Operation 0, SendArguments([in, string] unsigned char* text), operation 1,
// SendArgumentsWide([in, string] wchar_t* text), and operation 2,
// SendArgumentsFrom([in, string] wchar_t* folder, [in, string] wchar_t*
// text), each with an implicit primitive handle.
constexpr ProcFormatString kProcFormatString = {
    0,
    {
        0x32,                   // operation 0, at offset 0: FC_BIND_PRIMITIVE: implicit handle
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
        0x32,                   // operation 1, at offset 32: FC_BIND_PRIMITIVE: implicit handle
        0x48,                   // has RPC flags, new initialisation routines
        0x00, 0x00, 0x00, 0x00, // RPC flags
        0x01, 0x00,             // procedure number 1
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
        0x08, 0x00,             // type offset: the FC_C_WSTRING entry
        0x32,                   // operation 2, at offset 64: FC_BIND_PRIMITIVE: implicit handle
        0x48,                   // has RPC flags, new initialisation routines
        0x00, 0x00, 0x00, 0x00, // RPC flags
        0x02, 0x00,             // procedure number 2
        0x10, 0x00,             // stack size: two pointers
        0x00, 0x00,             // constant client buffer size
        0x00, 0x00,             // constant server buffer size
        0x42,                   // client must size, has extensions; no return value
        0x02,                   // two parameters
        0x0A,                   // extension size
        0x01,                   // new correlation descriptors
        0x00, 0x00,             // client correlation hint
        0x00, 0x00,             // server correlation hint
        0x00, 0x00,             // notify index
        0x00, 0x00,             // floating-point argument mask
        0x0B, 0x01,             // folder: must size, must free, in, simple reference
        0x00, 0x00,             // stack offset
        0x08, 0x00,             // type offset: the FC_C_WSTRING entry
        0x0B, 0x01,             // text: the same
        0x08, 0x00,             // stack offset: the second pointer
        0x08, 0x00,             // type offset: the FC_C_WSTRING entry
        0x00,
    },
};

// Where each operation's descriptor begins, by procedure number.
constexpr unsigned short kProcFormatOffsets[] = {0, 32, 64};

} // namespace remote_calls
