// The two questions the launcher asks of a file by its name in the system
// code page.
#pragma once

#include <cstdint>
#include <string_view>

// Whether path is a file, not a folder, and then, where asked, its size and
// last write time.
bool isFile(const char* path, uint64_t* size = nullptr, uint64_t* time = nullptr) noexcept;

// Whether a file that another process holds open for writing is read.
enum class WhileWritten { Read, Refuse };

// The first bytes of a file, at most size of them, into buffer; empty where
// it cannot be opened or read.
std::string_view readHead(const char* path, char* buffer, unsigned long size,
                          WhileWritten whileWritten) noexcept;
