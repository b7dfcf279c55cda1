#ifndef TARNIS_MAILLAGETEXTE_H
#define TARNIS_MAILLAGETEXTE_H

// Text reading and writing shared by the PTS, OFF and OBJ files: a buffered reader over a
// file or over memory that parses numbers without locale or stream overhead, and a
// buffered writer that formats doubles as a default output stream does (six significant
// digits, general notation). Internal to the engine.

#include <charconv>
#include <cstddef>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "Raison.h"

namespace tarnis_texte {

/// Longest first line a text format may have (a signature, perhaps counts and a comment): a
/// longer one is refused after that many characters, the rest of the file unread.
constexpr std::size_t LIGNE_PLAUSIBLE = 4096;

inline bool estBlanc(char c)
{
    return c == ' ' || c == '\n' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

/// Sequential reader. Over a FILE* it keeps a window of the file in a growing buffer
/// (a number is always parsed from a window holding its whole token); over memory it
/// reads the given bytes in place.
class Lecteur
{
public:
    /// Reads the file from its current position; the file stays owned by the caller.
    /// fenetre is the initial window size in bytes (it grows for longer tokens).
    explicit Lecteur(std::FILE *f, std::size_t fenetre = std::size_t(1) << 20);
    Lecteur(const char *texte, std::size_t taille);
    Lecteur(const Lecteur &) = delete;
    Lecteur &operator=(const Lecteur &) = delete;

    /// Next character, or -1 at the end of the data.
    int lireCaractere();
    /// Reads up to and including the next end of line (or to the end of the data); at most max
    /// characters of the line, without its end, go to ligne: the rest of the line is skipped
    /// without being stored (a header line never grows the memory beyond max). False when
    /// nothing at all was left.
    bool lireLigne(std::string &ligne, std::size_t max);
    /// A first line: at most max characters, never looking further. False when nothing was
    /// left; tropLongue when no end of line comes within max characters (the reading then
    /// stands after them).
    bool lireLigneBornee(std::string &ligne, std::size_t max, bool &tropLongue);
    /// Tokens longer than this are cut there (a header or a count is short: a run of bytes
    /// with no blank is then refused after max bytes, not read whole).
    void bornerJetons(std::size_t max) { longueurMaxJeton = max; }
    /// From now on, white space also covers '#' and the rest of its line (OFF comments).
    void sauterCommentaires() { commentaires = true; }
    /// Skips white space; false when the end of the data comes first.
    bool sauterBlancs();
    /// Skips white space, then reads one number. On failure nothing is consumed beyond
    /// the white space, and finDesDonnees() tells an end of data from a non-number.
    bool lireFloat(float &v);
    bool lireDouble(double &v);
    /// A double no larger than limite in magnitude; a larger one is left unread (false).
    bool lireDouble(double &v, double limite);
    bool lireEntier(int &v);
    bool lireEntier(long long &v);
    /// Skips white space and consumes the next token: [debut, fin) stays valid until the next
    /// reading. False at the end of the data.
    bool lireJeton(const char *&debut, const char *&fin);
    /// The next token (white space skipped, nothing consumed), cut to max characters: what
    /// a failed reading stopped at. Empty at the end of the data.
    std::string jetonSuivant(std::size_t max = 24);
    /// True once every byte has been consumed.
    bool finDesDonnees();
    /// Number (from 1) of the line holding the next unread byte: where a reading stopped.
    std::size_t ligneCourante() const;
    /// Bytes consumed so far.
    std::size_t position() const { return octetsAvant + static_cast<std::size_t>(p - debutFenetre); }

private:
    bool remplir();
    /// Makes sure the token starting at the current position is wholly in the window;
    /// returns its end.
    const char *finJeton();
    template <typename T> bool lireReel(T &v, T limite);
    template <typename T> bool lireEntierDe(T &v);

    std::FILE *fichier = nullptr;
    bool fichierEpuise = true;
    std::vector<char> tampon;
    const char *p = nullptr;
    const char *fin = nullptr;
    // Lines and bytes of the windows already dropped, counted once when they go.
    const char *debutFenetre = nullptr;
    std::size_t lignesAvant = 0;
    std::size_t octetsAvant = 0;
    std::size_t longueurMaxJeton;
    bool commentaires = false;
};

/// Buffered writer to a FILE*; remembers whether any write failed. Call vider() before
/// closing the file: the destructor does not flush.
class Ecrivain
{
public:
    explicit Ecrivain(std::FILE *f);
    ~Ecrivain();
    Ecrivain(const Ecrivain &) = delete;
    Ecrivain &operator=(const Ecrivain &) = delete;

    Ecrivain &texte(const char *s);
    Ecrivain &caractere(char c);
    Ecrivain &entier(long long v);
    /// As "os << v" with the default stream formatting (%g, six significant digits).
    Ecrivain &reel(double v);
    /// Flushes the buffer; false when any write failed.
    bool vider();

private:
    void reserver(std::size_t n);
    std::FILE *fichier;
    std::vector<char> tampon;
    std::size_t utilise = 0;
    bool echec = false;
};

/// Writes "x y z" (no end of line) in the default stream formatting.
template <typename Point> Ecrivain &ecrirePoint(Ecrivain &e, const Point &pt)
{
    return e.reel(pt.x).caractere(' ').reel(pt.y).caractere(' ').reel(pt.z);
}

/// Opens a file for reading when it is a regular file. Folders, pipes and devices are refused
/// without blocking; on failure returns null and leaves in raison why (EstUnDossier,
/// OuvertureImpossibleCar...).
/// nonOrdinaire, when given, tells a file that exists but is not a regular one.
std::FILE *ouvrirLecture(const std::string &nom, Raison &raison, bool *nonOrdinaire = nullptr);

} // namespace tarnis_texte

#endif
