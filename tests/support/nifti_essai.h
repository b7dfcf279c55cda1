#ifndef TARNIS_NIFTI_ESSAI_H
#define TARNIS_NIFTI_ESSAI_H

// NIfTI-1 files written byte by byte for the tests of the reader and of the application.

#include <cstdint>
#include <cstring>
#include <string>

namespace tarnis_test {

/// A NIfTI-1 single file (".nii" layout) in memory, in this machine's byte order: the header,
/// then the voxels as ajouter() appends them.
struct Nifti
{
    std::string o = std::string(352, '\0');

    Nifti(int nx, int ny, int nz, int nt, int type, int bits)
    {
        poser<std::int32_t>(0, 348);
        const std::int16_t dims[5] = {static_cast<std::int16_t>(nt > 1 ? 4 : 3), static_cast<std::int16_t>(nx),
                                      static_cast<std::int16_t>(ny), static_cast<std::int16_t>(nz),
                                      static_cast<std::int16_t>(nt)};
        for (int i = 0; i < 5; ++i)
            poser<std::int16_t>(40 + 2 * i, dims[i]);
        poser<std::int16_t>(70, static_cast<std::int16_t>(type));
        poser<std::int16_t>(72, static_cast<std::int16_t>(bits));
        for (int i = 0; i < 4; ++i)
            poser<float>(76 + 4 * i, 1.0f);
        poser<float>(108, 352.0f);
        std::memcpy(&o[344], "n+1", 4);
    }
    template <typename T> void poser(std::size_t position, T v) { std::memcpy(&o[position], &v, sizeof v); }
    template <typename T> void ajouter(T v) { o.append(reinterpret_cast<const char *>(&v), sizeof v); }
    /// The sform rows (voxel indices to mm).
    void sform(const double m[3][4])
    {
        poser<std::int16_t>(254, 2);
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 4; ++c)
                poser<float>(280 + 16 * r + 4 * c, static_cast<float>(m[r][c]));
    }
};

} // namespace tarnis_test

#endif
