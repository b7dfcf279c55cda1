#ifndef TARNIS_MOTEUR_MEMOIRE_H
#define TARNIS_MOTEUR_MEMOIRE_H

#include "Parallele.h"

#include <cstddef>
#include <cstdint>
#include <vector>

#include <sys/mman.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

/// Blocks below 8 MB are taken from the heap, and memory freed stays with the program up to
/// 64 MB at the top of it. By default the C library maps the larger blocks on their own and
/// unmaps them when freed, and gives memory back as soon as twice the largest block freed so far
/// lies unused at the top: the fit, which frees and takes again lists of a few megabytes at every
/// step, had their pages faulted in and zeroed again each time (on the bunny 48,000 faults
/// against 17,500, 5 % of the time). Larger thresholds gain nothing more there and keep more at
/// the peak of a large cloud. Called once, at the start of a program.
inline void garderLaMemoireLiberee()
{
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, 8 << 20);
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
#endif
}

/// v.resize(n). The new memory of a large list (2 MB or more) is asked for on large pages, which
/// the searches wandering through it miss far less often in the address translation caches, and
/// first touched on `fils` threads, so that the faults and the zeroing of its pages do not all
/// run on one core. The system may decline the large pages: the list is the same either way.
template <class T> void agrandir(std::vector<T> &v, std::size_t n, int fils)
{
    constexpr std::size_t page = 4096, grande = std::size_t(2) << 20;
    if (n > v.size() && (n - v.size()) * sizeof(T) >= grande) {
        v.reserve(n);
        // Raw storage past the end: each thread writes one byte in each page of its slice.
        char *debut = reinterpret_cast<char *>(v.data() + v.size());
        char *fin = reinterpret_cast<char *>(v.data() + n);
#ifdef MADV_HUGEPAGE
        const std::uintptr_t a = (reinterpret_cast<std::uintptr_t>(debut) + grande - 1) / grande * grande;
        const std::uintptr_t b = reinterpret_cast<std::uintptr_t>(fin) / grande * grande;
        if (b > a)
            madvise(reinterpret_cast<void *>(a), b - a, MADV_HUGEPAGE); // a hint only
#endif
        const std::size_t pages = (static_cast<std::size_t>(fin - debut) + page - 1) / page;
        enParallele(pages, fils, [&](std::size_t premiere, std::size_t derniere) {
            for (std::size_t k = premiere; k < derniere; ++k)
                *static_cast<volatile char *>(debut + k * page) = 0;
        });
    }
    v.resize(n);
}

#endif
