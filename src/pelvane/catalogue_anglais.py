#!/usr/bin/env python3
"""Writes the English side of the engine's catalogue of reasons for the console tool and the
Python module, from the interface's translation file (context "Moteur") and the list of codes.

    catalogue_anglais.py quolvex_en.ts Raison.h sortie.cpp

The interface's translation stays the one place the English is written: this file only copies it
into a table the engine-only programs can read without Qt. The codes' names (the identifiers of
CodeRaison, in order) go beside it: they are what a program compares, never the texts.
"""
import re
import sys
import xml.etree.ElementTree as ET


def chaine_c(texte):
    """A C++ string literal of the text (the source is UTF-8, as the catalogue's)."""
    return '"' + texte.replace("\\", "\\\\").replace('"', '\\"').replace("\n", "\\n") + '"'


def paires(ts):
    resultat = []
    for contexte in ET.parse(ts).getroot().iter("context"):
        if contexte.findtext("name") != "Moteur":
            continue
        for message in contexte.iter("message"):
            source = message.findtext("source") or ""
            traduction = message.find("translation")
            if traduction is None or traduction.get("type") in ("unfinished", "obsolete", "vanished"):
                continue
            if source and traduction.text:
                resultat.append((source, traduction.text))
    return sorted(set(resultat))


def codes(entete):
    texte = open(entete, encoding="utf-8").read()
    corps = re.search(r"enum class CodeRaison : int \{(.*?)\n\};", texte, re.S).group(1)
    corps = re.sub(r"//[^\n]*", "", corps)
    noms = [n.strip().split("=")[0].strip() for n in corps.split(",")]
    noms = [n for n in noms if n]
    if noms[-1] != "Nombre_":
        sys.exit("catalogue_anglais.py: CodeRaison does not end with Nombre_")
    return noms[:-1]


def main():
    ts, entete, sortie = sys.argv[1:4]
    lignes = [
        "// Written by src/pelvane/catalogue_anglais.py from quolvex_en.ts and Raison.h: do not edit.",
        '#include "langue.h"',
        "",
        "namespace pelvane {",
        "",
        "const PaireTraduite pairesAnglaises[] = {",
    ]
    p = paires(ts)
    lignes += ["    {%s, %s}," % (chaine_c(fr), chaine_c(en)) for fr, en in p]
    lignes += ["};", "const std::size_t nombrePairesAnglaises = %d;" % len(p), ""]
    n = codes(entete)
    lignes += ["const char *const nomsDesCodes[] = {"]
    lignes += ['    "%s",' % c for c in n]
    lignes += ["};", "const std::size_t nombreNomsDesCodes = %d;" % len(n), "", "} // namespace pelvane", ""]
    contenu = "\n".join(lignes)
    try:
        if open(sortie, encoding="utf-8").read() == contenu:
            return
    except OSError:
        pass
    with open(sortie, "w", encoding="utf-8") as f:
        f.write(contenu)


if __name__ == "__main__":
    main()
