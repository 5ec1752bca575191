#include "wide_copy.h"

int32_t copyWideString(PromptChar* destination, std::size_t capacity, const PromptChar* source) {
    if (capacity == 0 || capacity > kCopyMaxCapacity) {
        if (capacity != 0) {
            *destination = 0;
        }
        return kCopyInvalidParameter;
    }
    std::size_t copied = 0;
    while (copied < capacity && source[copied] != 0) {
        destination[copied] = source[copied];
        ++copied;
    }
    if (copied == capacity) {
        destination[capacity - 1] = 0;
        return kCopyInsufficientBuffer;
    }
    destination[copied] = 0;
    return kCopyOk;
}
