// The dialog's bounded copy of a wide text.
#pragma once

#include <cstddef>
#include <cstdint>

#include "prompt_texts.h"

constexpr int32_t kCopyOk = 0; // S_OK
constexpr int32_t kCopyInsufficientBuffer =
    static_cast<int32_t>(0x8007007A); // STRSAFE_E_INSUFFICIENT_BUFFER
constexpr int32_t kCopyInvalidParameter =
    static_cast<int32_t>(0x80070057);                // STRSAFE_E_INVALID_PARAMETER
constexpr std::size_t kCopyMaxCapacity = 2147483647; // STRSAFE_MAX_CCH

// Bounded copy of a zero-terminated wide text with StringCchCopyW's
// contract: the result is kCopyOk, or kCopyInsufficientBuffer with the text
// cut to capacity - 1 characters, or kCopyInvalidParameter for a capacity of
// 0 or above kCopyMaxCapacity.
int32_t copyWideString(PromptChar* destination, std::size_t capacity, const PromptChar* source);
