#ifndef TARNIS_NUAGECOMMUN_H
#define TARNIS_NUAGECOMMUN_H

// What the PLY, XYZ and PCD readers share: the mapping of a file, strict number parsing over
// memory, and text cut into blocks of whole lines parsed on several threads. Internal to the
// engine.

#include <cmath>
#include <cstddef>
#include <string>
#include <vector>

#include "NuageFichiers.h"
#include "Raison.h"
#include "Resultat.h"
#include "point3.h"

namespace tarnis_nuage {

/// Largest magnitude a PTS coordinate may have: what single precision holds (a value that
/// rounds to FLT_MAX included), the range the format has always kept to; the value itself is
/// kept in double.
double limiteSimplePrecision();

/// Most points a cloud may hold (the cloud's counts and the kd-tree's indices are int).
constexpr long long POINTS_MAX = 2147483647LL;

/// Read-only mapping of a regular file (folders, pipes and devices refused by name). The mapping
/// is guarded: a page that vanishes under the reading (the file cut shorter by another program
/// while it is read) reads as zeros instead of raising SIGBUS, and change() then tells it, so that
/// the reader refuses the file rather than the process dying.
class Projection
{
public:
    Projection() = default;
    Projection(const Projection &) = delete;
    Projection &operator=(const Projection &) = delete;
    ~Projection();
    /// Maps the file; `peupler`: its pages read ahead by the kernel as the reading starts.
    Resultat ouvrir(const std::string &nom, Statut statut, bool peupler = true);
    /// Whether the file changed since it was opened: pages gone under the reading, or a size or
    /// a modification time that is no longer the one it had.
    bool change() const;
    const char *donnees = "";
    std::size_t taille = 0;

private:
    void *base = nullptr;
    int garde = -1;        ///< the slot of the SIGBUS guard that watches the mapping
    std::FILE *fichier = nullptr;
    std::vector<char> copie; ///< the bytes read in, when no guard slot is free
    long long tailleVue = 0;
    long long secondes = 0, nanosecondes = 0; ///< the modification time seen at the opening
};

/// points.resize(n) as agrandir does it; when memory is short, points empty and the reason with
/// the bytes asked for, never an exception.
Resultat agrandirPoints(std::vector<point3> &points, std::size_t n, int fils, const std::string &nom);

/// The reason when a file changed while it was read: "le fichier a changé pendant la lecture".
Resultat fichierChange(const std::string &nom, Statut statut);

/// The cloud of a mapped file by its suffix (what lireNuageFichier reads once the file is
/// mapped); a file that changed during the reading is refused for that, whatever was read.
Resultat lireNuageProjete(const Projection &fichier, const std::string &nom, std::vector<point3> &points,
                          long long &nonFinis, const OptionsLecture &options = {});

inline bool estBlancLigne(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

/// A real at p, no blank skipped: an optional sign, then a digit or a point (no "inf" or "nan",
/// unless nanPermis). The end of the number, or null when there is none or it overflows.
const char *lireReel(const char *p, const char *fin, double &v, bool nanPermis = false);

/// Why no number could be read at p: the end of the data or line, control bytes, a value out of
/// range or a token that is no number.
Raison ceQuiArrete(const char *p, const char *fin);

/// Line (from 1) of p in [debut, ...).
std::size_t ligneDe(const char *debut, const char *p);

/// One block of whole lines and what its parsing found.
struct Bloc
{
    const char *debut = nullptr;
    const char *fin = nullptr;
    std::size_t lignes = 0;        ///< lines starting in the block
    std::size_t premiereLigne = 0; ///< from 0, relative to the text cut
    std::size_t points = 0;        ///< points it gives
    std::size_t premierPoint = 0;
    std::size_t ligneEchec = 0; ///< from 1, relative; 0: none
    Raison raison;
};

/// Cuts [debut, fin) into blocks of about octetsParBloc bytes, each ending after an end of line
/// (the last at fin), and counts their lines on the given threads.
std::vector<Bloc> decouperEnLignes(const char *debut, const char *fin, std::size_t octetsParBloc, int fils);


/// The values a column may hold: any real, or the integers of a declared type (an ASCII value
/// of a "uchar" property is 0 to 255, never -300 or 0.5). nom names the type in the reasons.
struct Plage
{
    bool entier = false;
    double min = 0, max = 0;
    const char *nom = nullptr;
    bool contient(double v) const { return !entier || (v >= min && v <= max && v == std::floor(v)); }
};

/// The integer range of a binary integer type of `octets` bytes, signed or not.
Plage plageEntiere(std::size_t octets, bool signe, const char *nom);

/// Whether the bytes at p (the first few kilobytes of them) are lines of numbers, not binary
/// records: digits, signs, points, exponents and blanks only, with an end of line among them.
bool ressembleATexte(const char *p, std::size_t n);

/// Of the first n floats (4 bytes each, `pas` bytes apart, byte order reversed when inverse),
/// how many are not finite or are denormal: a body that is no float data shows it in bulk.
std::size_t flottantsImplausibles(const char *p, std::size_t n, std::size_t pas, bool inverse);

/// Lines [debut, ...) holding each `colonnes` numbers, nLignes of them, one point per line from
/// columns ix, iy, iz, written to points[0..nLignes). fin is the end of the data; finLignes gets
/// the end of the last line read. element names what the lines are (for the reasons);
/// ligneDebut and octetDebut are the line number and byte offset of debut in the file. plages,
/// when given, holds what each column may hold.
Resultat lireLignesFixes(const char *debut, const char *fin, std::size_t nLignes, int colonnes, const int ix[3],
                         bool nanPermis, std::vector<point3> &points, const OptionsLecture &options,
                         const std::string &nom, const char *element, std::size_t ligneDebut, std::size_t octetDebut,
                         const char *&finLignes, const Plage *plages = nullptr);

/// Refuses what follows the last record of a text body: anything but blanks and ends of line,
/// named with its line (ligneDe from debut).
Resultat rienApres(const char *debut, const char *p, const char *fin, const std::string &nom);

/// The first failure of the blocks, in the file's order, as a reason naming its line.
Resultat premierEchec(const std::vector<Bloc> &blocs, const std::string &nom, std::size_t ligneDebut,
                      Statut statut = Statut::NuageIllisible);

/// Whether the data from the start of line 3 begins as lirePointsPTSEnBlocs reads it: three
/// numbers on the first line. Reads at most a few kilobytes.
bool debutPTSRegulier(const char *debut, const char *fin);

/// PTS points from the start of line 3 to fin, by blocks on several threads: the announced count
/// appended to points and the numbers beyond it counted. False, points as they were, when a token
/// is not exactly one number or the points are short: the sequential reader then reads the file
/// and says where and why.
bool lirePointsPTSEnBlocs(const char *debut, const char *fin, long long annonces, std::vector<point3> &points,
                          long long &nombresAuDela, const OptionsLecture &options = {});

} // namespace tarnis_nuage

#endif
