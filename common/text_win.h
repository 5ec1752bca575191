// The system code page, in which the launcher hands its narrow texts to
// Windows, the registry and Java, against UTF-16, in which Windows keeps
// names.
#pragma once

#include <string>
#include <string_view>

// text in the system code page. False where a character has no counterpart
// there: it then stands as "?", never as a best-fit look-alike, which would
// name another file or pass another option than the one written.
bool toCodePage(std::u16string_view text, std::string& out);

std::u16string fromCodePage(std::string_view text);
