#ifndef TARNIS_NUAGEFICHIERS_H
#define TARNIS_NUAGEFICHIERS_H

// Clouds from PLY, XYZ-like text (.xyz, .asc, .csv, .txt) and PCD files, and PLY triangle
// meshes. Each reader works over the whole file in memory (a read-only mapping of it), checks
// every count against the bytes there before it reserves anything, and never looks past the
// end: a cut, corrupt or lying file is refused with its reason and the line or byte, and leaves
// nothing behind. Coordinates are kept in double. Text is parsed by blocks of lines and binary
// records are converted by blocks, on several threads: the cloud is the same whatever the
// thread count or the block size.

#include <cstddef>
#include <string>
#include <vector>

#include "Maillage.h"
#include "Progression.h"
#include "Resultat.h"
#include "point3.h"

struct OptionsLecture
{
    int fils = 0;                        ///< threads (0: one per core)
    std::size_t octetsParBloc = 1 << 20; ///< text cut into blocks of about this many bytes
};

/// Cloud of the vertices (x y z of element vertex) of a PLY file: ASCII or binary of either
/// byte order, any numeric property type, other properties and elements passed over.
Resultat lireNuagePLY(const char *donnees, std::size_t taille, const std::string &nom, std::vector<point3> &points,
                      const OptionsLecture &options = {});

/// The cloud a PLY file stands for: its vertices (lireNuagePLY) when it has no faces, else the
/// cloud of its surface (nuageDeSurface), as for the other mesh formats. Faces naming a missing
/// vertex are refused.
Resultat lireSurfacePLY(const char *donnees, std::size_t taille, const std::string &nom, std::vector<point3> &points,
                        const OptionsLecture &options = {});

/// Triangle mesh of a PLY file: its vertices, and its faces (polygons split into fans round their
/// first corner) or triangle strips (-1 restarts a strip). Indices outside the vertices are refused.
Resultat lireMaillagePLY(const char *donnees, std::size_t taille, const std::string &nom, std::vector<point3> &sommets,
                         std::vector<Face> &faces);

/// Text cloud: the first three numbers of each line, separated by blanks, tabs, commas or
/// semicolons; empty lines, comment lines (#, //, ;) and one header line of names before the
/// first point are passed over; CRLF ends taken.
Resultat lireNuageXYZ(const char *donnees, std::size_t taille, const std::string &nom, std::vector<point3> &points,
                      const OptionsLecture &options = {});

/// PCD cloud (DATA ascii or binary; binary_compressed refused by name): x y z from any FIELDS
/// layout. Points with a coordinate that is not finite (organised clouds) are passed over and
/// counted in nonFinis.
Resultat lireNuagePCD(const char *donnees, std::size_t taille, const std::string &nom, std::vector<point3> &points,
                      long long &nonFinis, const OptionsLecture &options = {});

/// The text after the last '.' of the file name (not of a folder's), as given; empty when none.
std::string suffixeDe(const std::string &nom);

/// Whether the suffix is one of those readers' (ply, xyz, asc, csv, txt, pcd).
bool estNuageAutreFormat(const std::string &nom);

/// Reads the file by its suffix with the readers above (the file is mapped, not copied; a PLY file
/// through lireSurfacePLY). On failure points is left empty.
Resultat lireNuageFichier(const std::string &nom, std::vector<point3> &points, long long &nonFinis,
                          const Progression &progression = {}, const OptionsLecture &options = {});

/// Reads a PLY mesh file into m (vertices and faces, box and counts updated); m is left as it
/// was on failure.
Resultat lireMaillagePLYFichier(const std::string &nom, Maillage &m);

#endif
