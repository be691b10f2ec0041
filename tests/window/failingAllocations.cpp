// Replaces the program's operator new so a test can make allocations fail on
// demand. Linked into a test program only when it refers to failAllocations.
#include <cstdlib>
#include <new>

bool failAllocations = false;

void* operator new(size_t size)
{
    if (failAllocations)
        throw std::bad_alloc();
    if (void* p = malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept
{
    free(p);
}

void operator delete(void* p, size_t) noexcept
{
    free(p);
}
