#ifndef TARNIS_RAISONS_H
#define TARNIS_RAISONS_H

#include "Raison.h"

#include <QString>

/// The engine's reason (or progress phase) in the interface's language: the pattern of its code
/// translated (context "Moteur") and filled in with its arguments, the nested reasons translated
/// in turn. Without a translation it reads as the engine's French.
QString traduireRaison(const Raison &raison);

/// A name between the interface's quotes (« nom » in French).
QString citer(const QString &nom);

#endif
