// The global operator new and delete of a program that watches its own heap (the allocation
// fault tests, the benchmark's item memory). Compiled into such a program, replaced_new.cpp sends
// every form of them to the two functions the program defines.
#pragma once

#include <cstddef>

// A block of size bytes, or null; mayFail is true for the nothrow forms, whose callers cope with
// null (the others throw std::bad_alloc).
void* replacedAllocate(std::size_t size, bool mayFail);
void replacedRelease(void* block);
