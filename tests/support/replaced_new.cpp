#include "replaced_new.h"

#include <new>

namespace {

void* allocateOrThrow(std::size_t size) {
    void* block = replacedAllocate(size, false);
    if (!block)
        throw std::bad_alloc();
    return block;
}

} // namespace

void* operator new(std::size_t size) {
    return allocateOrThrow(size);
}
void* operator new[](std::size_t size) {
    return allocateOrThrow(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return replacedAllocate(size, true);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return replacedAllocate(size, true);
}
void operator delete(void* block) noexcept {
    replacedRelease(block);
}
void operator delete[](void* block) noexcept {
    replacedRelease(block);
}
void operator delete(void* block, std::size_t) noexcept {
    replacedRelease(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    replacedRelease(block);
}
void operator delete(void* block, const std::nothrow_t&) noexcept {
    replacedRelease(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
    replacedRelease(block);
}
