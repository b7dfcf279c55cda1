#ifndef TARNIS_PELVANE_LANGUE_H
#define TARNIS_PELVANE_LANGUE_H

#include "Raison.h"

#include <cstddef>
#include <string>

/// The language of the console tool, of the batch command and of the Python module: French, the
/// engine's own, or English. The engine's reasons are written in English from the interface's
/// translation (quolvex_en.ts, copied into a table at build time by catalogue_anglais.py).
namespace pelvane {

enum class Langue { Francais, Anglais };

/// The language of the messages: English when the locale's language (LC_ALL, else LC_MESSAGES,
/// else LANG, the first one set and not empty) is English ("en", "en_US.UTF-8"...), French
/// otherwise, "C" and "POSIX" included.
Langue langueDuSysteme();
/// The language a --lang value names ("en" or "fr"); false for any other value.
bool lireLangue(const std::string &valeur, Langue &langue);

/// The language of the console's messages: langueDuSysteme() until a --lang option sets it.
Langue langue();
void choisirLangue(Langue l);

/// The text in the language of the messages: the French or its English.
inline const char *selon(const char *francais, const char *anglais)
{
    return langue() == Langue::Anglais ? anglais : francais;
}

/// The reason on one line in that language: texte(r) in French, its English otherwise (a
/// pattern without its English, which the interface's tests refuse, stays French).
std::string texteDansLaLangue(const Raison &r, Langue l);
/// The same in the language of the messages.
inline std::string texteLocal(const Raison &r)
{
    return texteDansLaLangue(r, langue());
}

/// The English of a French pattern of the catalogue (nullptr when it has none).
const char *motifAnglais(const char *francais);

/// The stable name of a code, its identifier in CodeRaison ("FichierAbsent"); "" for a value
/// that is no code. Programs compare these, never the texts.
const char *nomDuCode(CodeRaison code);

/// The table catalogue_anglais.py writes.
struct PaireTraduite
{
    const char *francais;
    const char *anglais;
};
extern const PaireTraduite pairesAnglaises[];
extern const std::size_t nombrePairesAnglaises;
extern const char *const nomsDesCodes[];
extern const std::size_t nombreNomsDesCodes;

} // namespace pelvane

#endif
