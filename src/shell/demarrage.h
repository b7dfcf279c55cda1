#ifndef DEMARRAGE_H
#define DEMARRAGE_H

#include <QString>

class QTranslator;

/// Writes "Verification du support OpenGL : " then "OK" (or the no-OpenGL
/// line) on the warning channel. Returns whether an OpenGL context could be made.
bool verifierSupportOpenGL();

/// Whether OpenGL draws in software here (llvmpipe, softpipe, swrast): multisampling then
/// doubles the time of every picture, so the documents opened next go without it.
bool renduLogiciel();

/// Loads "quolvex_en" from the working folder into traduction and the
/// toolkit's own translation (qtbase) in the interface's language into
/// traductionQt, English when that file was found and French otherwise, and
/// installs each one that loaded. Returns whether the English file was found.
bool installerTraductions(QTranslator &traduction, QTranslator &traductionQt);

/// The file named by the first argument, "" when there is none; further
/// arguments are ignored.
QString fichierDeDemarrage(int argc, char **argv);

#endif
