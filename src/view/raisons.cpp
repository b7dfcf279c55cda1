#include "raisons.h"

#include <QCoreApplication>

#include <string>
#include <vector>

QString traduireRaison(const Raison &raison)
{
    std::vector<std::string> valeurs;
    valeurs.reserve(raison.arguments.size());
    for (const Argument &a : raison.arguments)
        valeurs.push_back(a.genre == Argument::Genre::Raison && !a.sous.empty()
                              ? traduireRaison(a.sous.front()).toStdString()
                              : a.texte);
    const QString motif = QCoreApplication::translate("Moteur", motifRaison(raison.code));
    return QString::fromStdString(remplirMotif(motif.toStdString(), valeurs));
}

QString citer(const QString &nom)
{
    return traduireRaison(::nom(nom.toStdString()));
}
