#ifndef TARNIS_MOTEUR_PARALLELE_H
#define TARNIS_MOTEUR_PARALLELE_H

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <exception>
#include <thread>
#include <vector>

/// Threads to use for a request of `demandes` (0 or less: one per core).
inline int filsEffectifs(int demandes)
{
    if (demandes > 0)
        return demandes;
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

/// Runs f(debut, fin) over [0, n) cut into one contiguous slice per thread (`fils` of them, fewer
/// for small n). The callers write each result at its own index, so the slicing changes no value:
/// the result is the same whatever the number of threads. An exception thrown in a slice is
/// thrown again here, once every slice has ended.
template <class F> void enParallele(std::size_t n, int fils, F f)
{
    std::size_t t = static_cast<std::size_t>(std::max(1, fils));
    if (n < 4096)
        t = 1;
    t = std::min(t, n == 0 ? std::size_t(1) : n);
    if (t <= 1) {
        f(std::size_t(0), n);
        return;
    }
    std::vector<std::exception_ptr> erreurs(t);
    auto tranche = [&](std::size_t k) {
        try {
            f(n * k / t, n * (k + 1) / t);
        } catch (...) {
            erreurs[k] = std::current_exception();
        }
    };
    std::vector<std::thread> autres;
    autres.reserve(t - 1);
    for (std::size_t k = 1; k < t; ++k)
        autres.emplace_back(tranche, k);
    tranche(0);
    for (std::thread &a : autres)
        a.join();
    for (const std::exception_ptr &e : erreurs)
        if (e)
            std::rethrow_exception(e);
}

/// Runs f(k) for every block k of [0, blocs) on up to `fils` threads, each thread taking the next
/// block not yet taken (blocks of uneven cost spread evenly). The callers write each block's
/// result in its own slot, so the result is the same whatever the number of threads. An exception
/// thrown in a block is thrown again here, once every thread has ended.
template <class F> void chaqueBloc(std::size_t blocs, int fils, F f)
{
    const std::size_t t = std::min<std::size_t>(static_cast<std::size_t>(std::max(1, fils)), blocs);
    if (t <= 1) {
        for (std::size_t k = 0; k < blocs; ++k)
            f(k);
        return;
    }
    std::atomic<std::size_t> suivant{0};
    std::vector<std::exception_ptr> erreurs(t);
    auto travail = [&](std::size_t i) {
        try {
            for (std::size_t k; (k = suivant.fetch_add(1)) < blocs;)
                f(k);
        } catch (...) {
            erreurs[i] = std::current_exception();
        }
    };
    std::vector<std::thread> autres;
    autres.reserve(t - 1);
    for (std::size_t i = 1; i < t; ++i)
        autres.emplace_back(travail, i);
    travail(0);
    for (std::thread &a : autres)
        a.join();
    for (const std::exception_ptr &e : erreurs)
        if (e)
            std::rethrow_exception(e);
}

/// Runs `premier` on a thread of its own and `second` on this one, side by side (the two halves
/// of a tree being built, which touch disjoint data). An exception thrown by either is thrown
/// again here once both have ended.
template <class A, class B> void coteACote(A premier, B second)
{
    std::exception_ptr erreur;
    std::thread autre([&] {
        try {
            premier();
        } catch (...) {
            erreur = std::current_exception();
        }
    });
    try {
        second();
    } catch (...) {
        autre.join();
        throw;
    }
    autre.join();
    if (erreur)
        std::rethrow_exception(erreur);
}

#endif
