#ifndef TARNIS_MORTON_H
#define TARNIS_MORTON_H

#include <cstdint>

/// Spreads the low 21 bits of v to every third bit: three coordinates spread and shifted by 0, 1
/// and 2 interleave into one key of a space-filling (Morton) order.
inline std::uint64_t etalerBits(std::uint64_t v)
{
    v &= 0x1fffff;
    v = (v | v << 32) & 0x1f00000000ffffULL;
    v = (v | v << 16) & 0x1f0000ff0000ffULL;
    v = (v | v << 8) & 0x100f00f00f00f00fULL;
    v = (v | v << 4) & 0x10c30c30c30c30c3ULL;
    v = (v | v << 2) & 0x1249249249249249ULL;
    return v;
}

#endif
