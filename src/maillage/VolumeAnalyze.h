#ifndef TARNIS_VOLUMEANALYZE_H
#define TARNIS_VOLUMEANALYZE_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "Resultat.h"
#include "point3.h"

/// The 348-byte Analyze 7.5 header, field for field, in the byte order of the file until
/// lireEntete swaps it.
struct EnteteAnalyze
{
    // header key (40 bytes)
    std::int32_t sizeof_hdr;
    char data_type[10];
    char db_name[18];
    std::int32_t extents;
    std::int16_t session_error;
    char regular;
    char hkey_un0;
    // image dimensions (108 bytes)
    std::int16_t dim[8];
    char vox_units[4];
    char cal_units[8];
    std::int16_t unused1;
    std::int16_t datatype;
    std::int16_t bitpix;
    std::int16_t dim_un0;
    float pixdim[8];
    float vox_offset;
    float funused1;
    float funused2;
    float funused3;
    float cal_max;
    float cal_min;
    float compressed;
    float verified;
    std::int32_t glmax;
    std::int32_t glmin;
    // data history (200 bytes)
    char descrip[80];
    char aux_file[24];
    char orient;
    char originator[10];
    char generated[10];
    char scannum[10];
    char patient_id[10];
    char exp_date[10];
    char exp_time[10];
    char hist_un0[3];
    std::int32_t views;
    std::int32_t vols_added;
    std::int32_t start_field;
    std::int32_t field_skip;
    std::int32_t omax;
    std::int32_t omin;
    std::int32_t smax;
    std::int32_t smin;
};
static_assert(sizeof(EnteteAnalyze) == 348, "Analyze header must be 348 bytes");

/// An Analyze 7.5 volume held whole in memory as unsigned 16-bit voxels,
/// voxel (x, y, z) at x + y*dimX + z*dimX*dimY.
///
/// Failures (missing or empty files, impossible sizes, unknown voxel types) are printed on
/// standard error and returned as false; nothing here ends the program or throws.
class VolumeAnalyze
{
public:
    /// Analyze data type codes understood by the voxel reader.
    enum TypeDonnees : std::int16_t {
        INCONNU = 0,
        OCTET_NON_SIGNE = 2,
        ENTIER_16 = 4,
        ENTIER_32 = 8,
        REEL_32 = 16,
        REEL_64 = 64,
        ENTIER_16_NON_SIGNE = 512
    };

    explicit VolumeAnalyze(int x = 0, int y = 0, int z = 0);

    /// Sets the sizes and a zeroed buffer. Negative sizes, or more voxels than can be held,
    /// are refused (false, message on standard error) and leave a 0 x 0 x 0 volume.
    bool allouer(int x, int y, int z);
    /// No effect outside the volume.
    void setVoxel(int x, int y, int z, std::uint16_t valeur);
    /// 0 outside the volume.
    std::uint16_t getVoxel(int x, int y, int z) const;

    /// Reads the header, swapping it when dim[0] shows the other byte order; prints
    /// dim[1], dim[2], dim[3] on standard output.
    bool lireEntete(const std::string &nomEntete);
    /// Reads base + ".hdr" and base + ".img".
    bool chargerAnalyze(const std::string &base);
    /// chargerAnalyze with its outcome: Statut::NuageIllisible and a reason naming the volume
    /// and what was wrong (same lines on standard error).
    Resultat lire(const std::string &base);
    /// Same over bytes already in memory; nom is the base name used in messages.
    /// The voxels honour the header: unsigned 8-bit, signed or unsigned 16-bit in the
    /// header's byte order after the voxel offset; 32-bit and real data rounded and clamped
    /// to signed 16-bit (with a warning); data type 0 read as 16-bit little-endian.
    /// A volume the image cannot hold is refused.
    bool lireEnteteOctets(const unsigned char *octets, std::size_t taille);
    bool chargerDepuisMemoire(const unsigned char *entete, std::size_t tailleEntete, const unsigned char *image,
                              std::size_t tailleImage, const std::string &nom);

    /// True when the header was stored in the other byte order (set by lireEntete).
    bool estInverse() const { return inverse; }

    std::vector<std::uint16_t> voxels;
    EnteteAnalyze entete;
    int dimX;
    int dimY;
    int dimZ;

private:
    /// Prints the reason on standard error, keeps it and answers false.
    bool refuser(Raison pourquoi);
    Raison raison;
    bool analyserEntete(const unsigned char *octets, std::size_t taille, const std::string &nom);
    /// Checks type, sizes and offset against the image size, then allocates.
    bool preparerVoxels(std::size_t tailleImage, const std::string &nom, std::size_t &debut);
    void decoderVoxels(const unsigned char *image, const std::string &nom);
    bool inverse = false;
};

/// Grey level 0..255 of v in the window [a, b], all three taken as signed 16-bit numbers.
/// With a == b, a voxel equal to both gets 255.
int niveauDeGris(std::uint16_t v, std::uint16_t a, std::uint16_t b);

/// Appends (x, y, z) for every voxel whose grey level g satisfies seuilMin < g < seuilMax,
/// x fastest. Returns true.
bool seuillerVolume(const VolumeAnalyze &volume, std::vector<point3> &points, int seuilMin, int seuilMax,
                    std::uint16_t fenetreMin, std::uint16_t fenetreMax);

#endif
