#ifndef TARNIS_MOTEUR_REMPLACEMENT_H
#define TARNIS_MOTEUR_REMPLACEMENT_H

#include <string>

/// A file written in the place of another without putting it at risk. The writing goes into a
/// new file beside `cible` (in the same directory, so that the rename ending it is atomic), which
/// takes the place of `cible` only once complete (`remplacer`). Until then, whatever happens to
/// the writing (a full disk, a stop, an error), `cible` keeps what it held, or stays absent; the
/// new file is removed when the object goes without having replaced it.
///
/// A link is followed: the file it leads to is replaced, the link stays. A target that exists and
/// is no regular file (a device, a pipe), or beside which no file can be made, is written in
/// place and left as the writing leaves it. The new file gets the rights of the file it replaces,
/// or those an ordinary new file gets.
class EcritureRemplacante
{
public:
    explicit EcritureRemplacante(const std::string &cible);
    ~EcritureRemplacante();
    EcritureRemplacante(const EcritureRemplacante &) = delete;
    EcritureRemplacante &operator=(const EcritureRemplacante &) = delete;

    /// The file to write.
    const std::string &chemin() const { return ecrit; }
    /// The written file put in the target's place; false when that fails (the new file is then
    /// removed, the target left as it was).
    bool remplacer();

private:
    std::string cible; // the link followed
    std::string ecrit;
    bool enPlace = false;
    bool fini = false;
};

#endif
