#ifndef TARNIS_RAISONS_H
#define TARNIS_RAISONS_H

#include <QStringList>

#include <string>

/// The engine's reason for a failure in the interface's language. The engine writes its reasons
/// in French (the console tool prints them as they are); each one is matched against the
/// engine's patterns and rebuilt from the translated pattern, the names and numbers kept and the
/// reasons nested in it translated in turn. Without a translation the text comes back unchanged,
/// and so does a reason that no pattern describes.
QString traduireRaison(const std::string &raison);

/// The patterns, as the engine writes them ("Moteur" context of the translation).
QStringList motifsDesRaisons();

#endif
