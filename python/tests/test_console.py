"""The console tool as programs and people see it: its JSON report against its text report, its
failures in English and in French, its version."""

import json
import os
import re
import shutil
import subprocess

import pytest

import tarnis
from test_tarnis import RACINE, sphere

OUTIL = os.environ.get("TARNIS_PELVANE")
pytestmark = pytest.mark.skipif(not OUTIL, reason="the console tool is not given (TARNIS_PELVANE)")


def lancer(*arguments, lang="fr_FR.UTF-8"):
    env = dict(os.environ, LANG=lang, LC_ALL="", LC_MESSAGES="")
    return subprocess.run([OUTIL, *arguments], env=env, capture_output=True, text=True)


def rapport_texte(chemin):
    valeurs = {}
    with open(chemin, encoding="utf-8") as f:
        for ligne in f:
            cle, egal, valeur = ligne.rstrip("\n").partition(" = ")
            if egal:
                valeurs[cle] = valeur
    return valeurs


def test_json_report_carries_the_text_reports_figures(tmp_path):
    nuage = tmp_path / "boule.pts"
    tarnis.write(nuage, sphere(1500))
    r = lancer("--cloud", str(nuage), "--out", str(tmp_path), "--min-points", "300", "--max-points", "1500",
               "--report", "json", "--format", "ply,off")
    assert r.returncode == 0, r.stderr
    with open(tmp_path / "boule.rapport.json", encoding="utf-8") as f:
        j = json.load(f)
    t = rapport_texte(tmp_path / "boule.rapport.txt")
    assert j["status"] == 0 and j["reason"] is None and j["version"] == t["version de Tarnis"]
    assert j["parameters"]["min_points"] == 300 and j["parameters"]["format"] == ["off", "ply"]
    # The text writes nine significant digits, the JSON every one.
    sens = {"cloud_to_surface": "écart nuage -> surface", "surface_to_cloud": "écart surface -> nuage",
            "simplex_to_cloud": "écart points simplexes -> nuage"}
    mesures = {"mean": "moyenne", "p95": "centile 95", "max": "maximum"}
    for cle, texte in sens.items():
        for m, nom in mesures.items():
            d = j["distances"][cle][m]
            assert "%.9g" % d["value"] == t["%s, %s" % (texte, nom)], (cle, m)
            assert "%.9g" % d["percent_of_diagonal"] == t["%s, %s (%% de la diagonale)" % (texte, nom)], (cle, m)
            assert d["unit"] == "cloud unit"
    s = j["surface"]
    for cle, texte in (("parts", "parties de la surface"), ("genus", "genre de la surface"),
                       ("crossings", "paires de triangles qui se croisent"), ("simplex_points", "points simplexes"),
                       ("triangles", "triangles")):
        assert str(s[cle]) == t[texte], cle
    assert "%.9g" % s["volume"]["value"] == t["volume enclos par la surface"] and s["volume"]["unit"] == "cloud unit^3"
    assert j["cloud"]["points"] == 1500 == int(t["points du nuage"])
    assert j["files"] == [str(tmp_path / "boule.off"), str(tmp_path / "boule.ply")]


def test_a_failure_in_english_and_in_french(tmp_path):
    absent = str(tmp_path / "absent.pts")
    anglais = lancer("--cloud", absent, "--out", str(tmp_path / "o"), "--report", "json", lang="en_US.UTF-8")
    assert anglais.returncode == 4
    assert anglais.stderr.splitlines()[-1] == "Pelvane: error: “%s” cannot be opened (file not found)" % absent
    francais = lancer("--cloud", absent, "--out", str(tmp_path / "o"))
    assert francais.stderr.splitlines()[-1] == "Pelvane : erreur : « %s » ne peut pas être ouvert (fichier absent)" % absent
    force = lancer("--cloud", absent, "--lang", "fr", lang="en_US.UTF-8")
    assert force.stderr.splitlines()[-1] == francais.stderr.splitlines()[-1]
    # A failed run leaves only its JSON report, which says why.
    assert os.listdir(tmp_path / "o") == ["absent.rapport.json"]
    with open(tmp_path / "o" / "absent.rapport.json", encoding="utf-8") as f:
        j = json.load(f)
    assert j["status"] == 4 and j["reason"]["codes"] == ["OuvertureImpossibleCar", "FichierAbsent"]
    assert j["reason"]["text"] in anglais.stderr and "distances" not in j
    # Bad arguments, and the help, in English as well.
    mauvais = lancer("--cloud", absent, "--iterations", "x", lang="en_US.UTF-8")
    assert mauvais.returncode == 2 and "whole number expected" in mauvais.stderr and "--help for help" in mauvais.stderr
    aide = lancer("--help", lang="en_US.UTF-8").stdout
    assert "Exit statuses:" in aide and "Codes de sortie" not in aide and "--lang en|fr" in aide
    assert "Codes de sortie" in lancer("--help").stdout


def test_version():
    r = lancer("--version")
    assert r.returncode == 0 and r.stdout.startswith("Pelvane.exe (Tarnis) ") and r.stdout.count("\n") == 1


def test_the_cycles_give_the_console_tools_figures(tmp_path):
    nuage = tmp_path / "boule.pts"
    tarnis.write(nuage, sphere(1500))
    options = dict(method="cycles", min_points=2000, iterations=5, threads=2)
    r = lancer("--cloud", str(nuage), "--out", str(tmp_path), "--report", "json",
               *["--%s=%s" % (k.replace("_", "-"), v) for k, v in options.items()])
    assert r.returncode == 0, r.stderr
    with open(tmp_path / "boule.rapport.json", encoding="utf-8") as f:
        j = json.load(f)
    assert j["parameters"]["method"] == "cycles"
    f = tarnis.fit(tarnis.read(nuage), **options)
    for sens in ("cloud_to_surface", "surface_to_cloud", "simplex_to_cloud"):
        for mesure in ("mean", "p95", "max"):
            assert getattr(getattr(f, sens), mesure) == j["distances"][sens][mesure]["value"], (sens, mesure)
    assert (f.levels, f.points_per_level, f.simplex_points, f.parts, f.genus) == (
        j["fit"]["levels"], j["fit"]["simplex_points_per_level"], j["surface"]["simplex_points"],
        j["surface"]["parts"], j["surface"]["genus"])


# French shows in its spacing before a colon, its quotation marks and its accents.
FRANCAIS = re.compile(r"[éèêàùçœ«»]| : | ; ")


def test_every_message_a_user_meets_is_english_in_english(tmp_path):
    """Help, wrong options and values, missing, refused and cut files, both forms, a success: in
    English nothing French, the engine's own French diagnostics included (left out)."""
    coupe = tmp_path / "coupe.pts"
    coupe.write_text("PTS\n100\n1 2 3\n4 5\n")
    boule = tmp_path / "boule.pts"
    tarnis.write(boule, sphere(1500))
    cas = [("--help",), (), ("--bogus",), ("--cloud",), ("--cloud", str(tmp_path / "absent.pts")),
           ("--cloud", str(coupe)), ("--cloud", str(boule), "--mesh", str(coupe)),
           ("--cloud", str(boule), "--min-points", "0"), ("--cloud", str(boule), "--band", "1"),
           ("--cloud", str(boule), "--strays", "on"), ("1", "2", "3"),
           ("x", "0.05", "0", "2", "2000", "20", "0", "m.smm", str(boule), str(tmp_path)),
           ("--cloud", str(boule), "--out", str(tmp_path / "o"), "--max-points", "1500", "--report", "json",
            "--format", "off,ply", "--autosave")]
    for arguments in cas:
        r = lancer(*arguments, lang="en_US.UTF-8")
        assert r.stdout if arguments == ("--help",) else r.stdout == "", (arguments, r.stdout)
        assert r.stderr or r.stdout, arguments
        assert not FRANCAIS.search(r.stdout + r.stderr), (arguments, FRANCAIS.search(r.stdout + r.stderr),
                                                          r.stdout + r.stderr)
    assert lancer(*cas[-2], lang="en_US.UTF-8").stderr.startswith("Pelvane: error: internal force: real number")
    # French unchanged: the same failure in French, the engine's lines on standard output.
    francais = lancer("--cloud", str(coupe))
    assert FRANCAIS.search(francais.stderr) and francais.stdout


@pytest.mark.skipif(not shutil.which("parallel"), reason="GNU parallel is absent")
def test_the_batch_command_speaks_english_in_english(tmp_path):
    lot = os.path.join(RACINE, "scripts", "tarnis-lot")
    arbre = os.path.dirname(os.path.dirname(os.path.abspath(OUTIL)))
    entree = tmp_path / "in"
    entree.mkdir()
    tarnis.write(entree / "boule.pts", sphere(1500))
    (entree / "coupe.pts").write_text("PTS\n100\n1 2 3\n4 5\n")
    env = dict(os.environ, LANG="en_US.UTF-8", LC_ALL="", LC_MESSAGES="")
    cas = [(), ("-x",), ("-j", "x", str(entree), str(tmp_path / "o")), (str(tmp_path / "absent"), str(tmp_path / "o")),
           ("--resume", str(tmp_path)), ("--tache", "1", str(tmp_path)), ("--preparer", "a"),
           (str(entree), str(tmp_path / "out"), "--", "--min-points", "500", "--max-points", "2000")]
    for arguments in cas:
        r = subprocess.run(["bash", lot, *arguments], cwd=arbre, env=env, capture_output=True, text=True)
        messages = "\n".join(l for l in (r.stdout + r.stderr).splitlines() if not l.startswith(("perl:", "\t", "  ")))
        assert r.returncode in (1, 2) and messages, arguments
        assert not FRANCAIS.search(messages), (arguments, messages)
    assert "1 cloud(s) succeeded of 2" in r.stderr
    with open(tmp_path / "out" / "summary.csv", encoding="utf-8") as f:
        lignes = f.read().splitlines()
    assert lignes[0].startswith("cloud,path,status,exit status,meaning,") and len(lignes) == 3
    assert lignes[1].startswith("boule.pts,%s,succeeded,0,success,1500," % (entree / "boule.pts"))
    assert lignes[2].startswith("coupe.pts,%s,failed,4,unreadable or empty cloud," % (entree / "coupe.pts"))
    assert not FRANCAIS.search(lignes[2]), lignes[2]
