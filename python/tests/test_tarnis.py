"""The Python package over the engine: the fit of a generated sphere, the errors, the progress and
its stop, the threads, and the same figures as the console tool."""

import json
import math
import os
import subprocess
import threading

import numpy as np
import pytest

import tarnis

RACINE = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
GALET = os.path.join(RACINE, "data", "sample", "galet.pts")


def sphere(n=3000, rayon=10.0, centre=(5.0, -3.0, 2.0)):
    """Points spread evenly on a sphere (a Fibonacci lattice)."""
    i = np.arange(n) + 0.5
    z = 1 - 2 * i / n
    r = np.sqrt(1 - z * z)
    angle = math.pi * (3 - math.sqrt(5)) * np.arange(n)
    return np.column_stack([r * np.cos(angle), r * np.sin(angle), z]) * rayon + np.array(centre)


# At most 2000 simplex points for 3000 cloud points: with the default maximum the surface of so
# sparse a cloud folds into itself in places (crossings).
OPTIONS_SPHERE = dict(min_points=500, max_points=2000)


@pytest.fixture(scope="module")
def ajustement_sphere():
    return tarnis.fit(sphere(), threads=2, **OPTIONS_SPHERE)


def test_sphere_fitted_closed_and_measured(ajustement_sphere):
    f = ajustement_sphere
    assert f.vertices.dtype == np.float64 and f.vertices.shape[1] == 3
    assert f.faces.shape == (f.triangles, 3) and f.faces.min() >= 0 and f.faces.max() < len(f.vertices)
    assert f.closed and f.parts == 1 and f.genus == 0 and f.crossings == 0
    assert f.cloud_points == 3000 and f.points_set_aside == 0
    # Close to the sphere of radius 10: distances well under its radius, the solid's figures near
    # those of the ball.
    assert 0 < f.cloud_to_surface.mean < f.cloud_to_surface.p95 <= f.cloud_to_surface.max < 0.5
    assert 0 < f.surface_to_cloud.mean < 0.5 and f.surface_to_cloud.count == f.surface_samples
    rayons = np.linalg.norm(f.vertices - np.array([5.0, -3.0, 2.0]), axis=1)
    assert np.all(np.abs(rayons - 10) < 0.5)
    assert f.volume == pytest.approx(4 / 3 * math.pi * 1000, rel=0.03)
    assert f.area == pytest.approx(4 * math.pi * 100, rel=0.03)
    assert f.diagonal == pytest.approx(math.sqrt(3) * 20, rel=0.01)
    assert f.times["total"] >= f.times["fit"] > 0


def test_simplex_mesh_three_neighbours_each_way(ajustement_sphere):
    s = ajustement_sphere.simplex
    assert s.points.shape == (ajustement_sphere.simplex_points, 3) and s.neighbours.shape == s.points.shape
    assert s.neighbours.min() >= 0
    for i, voisins in enumerate(s.neighbours):
        assert len(set(voisins)) == 3 and i not in voisins
        for v in voisins:
            assert i in s.neighbours[v]


def test_same_result_with_one_and_two_threads(ajustement_sphere):
    un = tarnis.fit(sphere(), threads=1, **OPTIONS_SPHERE)
    assert np.array_equal(un.vertices, ajustement_sphere.vertices)
    assert np.array_equal(un.faces, ajustement_sphere.faces)
    for sens in ("cloud_to_surface", "surface_to_cloud", "simplex_to_cloud"):
        assert repr(getattr(un, sens)) == repr(getattr(ajustement_sphere, sens))


def test_reader_error_carries_code_status_and_english(tmp_path):
    with pytest.raises(tarnis.Error) as e:
        tarnis.read(tmp_path / "absent.pts")
    assert e.value.status == 4 and "FichierAbsent" in e.value.codes
    assert "not found" in e.value.text and "absent" in e.value.text_fr and str(e.value) == e.value.text
    faux = tmp_path / "faux.pts"
    faux.write_text("PTS\n3\n1 2 3\n4 5\n")
    with pytest.raises(tarnis.Error) as e:
        tarnis.read(faux)
    assert e.value.status == 4 and e.value.code in tarnis.reason_codes()


def test_options_checked_as_the_console_tool_does():
    with pytest.raises(tarnis.Error) as e:
        tarnis.fit(sphere(200), min_points=0)
    assert e.value.status == 2 and "EntierHorsBornes" in e.value.codes and "--min-points" in e.value.text
    with pytest.raises(TypeError):
        tarnis.fit(sphere(200), minpoints=10)
    with pytest.raises(tarnis.Error) as e:
        tarnis.fit(np.zeros((10, 3)))
    assert e.value.status == 4
    with pytest.raises(ValueError):
        tarnis.fit(np.zeros((10, 2)))


def test_progress_reported_and_stopped():
    vus = []

    def suivre(fraction, phase):
        vus.append((fraction, phase))
        return True

    tarnis.fit(sphere(500), progress=suivre, min_points=200)
    assert len(vus) > 10 and all(0 <= f <= 1 for f, _ in vus)
    assert any(phase.startswith("Fit") for _, phase in vus)

    appels = []

    def arreter(fraction, phase):
        appels.append(fraction)
        return len(appels) < 3

    with pytest.raises(tarnis.Error) as e:
        tarnis.fit(sphere(500), progress=arreter)
    assert e.value.status == 7 and len(appels) == 3

    def casser(fraction, phase):
        raise ZeroDivisionError("from the callback")

    with pytest.raises(ZeroDivisionError):
        tarnis.fit(sphere(500), progress=casser)


def test_lock_released_during_the_fit():
    compte = [0]
    fin = threading.Event()

    def compter():
        while not fin.is_set():
            compte[0] += 1

    fil = threading.Thread(target=compter)
    fil.start()
    try:
        avant = compte[0]
        tarnis.fit(sphere(2000))
        pendant = compte[0] - avant
    finally:
        fin.set()
        fil.join()
    assert pendant > 1000


def test_fits_side_by_side_from_python_threads():
    resultats = [None, None]

    def ajuster(k):
        resultats[k] = tarnis.fit(sphere(800), threads=1, max_points=1500)

    fils = [threading.Thread(target=ajuster, args=(k,)) for k in range(2)]
    for f in fils:
        f.start()
    for f in fils:
        f.join()
    assert all(r is not None and r.closed for r in resultats)
    assert np.array_equal(resultats[0].vertices, resultats[1].vertices)


def test_written_files(tmp_path, ajustement_sphere):
    off = tmp_path / "sphere.off"
    tarnis.write(off, ajustement_sphere)
    lignes = off.read_text().split("\n")
    assert lignes[0] == "OFF" and lignes[1].split()[:2] == [str(len(ajustement_sphere.vertices)),
                                                           str(len(ajustement_sphere.faces))]
    for suffixe in ("smm", "ply", "stl", "obj"):
        tarnis.write(tmp_path / ("sphere." + suffixe), ajustement_sphere)
        assert (tmp_path / ("sphere." + suffixe)).stat().st_size > 1000
    with pytest.raises(tarnis.Error) as e:
        tarnis.write(tmp_path / "sphere.xyz", ajustement_sphere)
    assert e.value.code == "ArgumentsRefuses" or "FormatDeSortieInconnu" in e.value.codes


@pytest.mark.skipif(not os.environ.get("TARNIS_PELVANE"), reason="the console tool is not given (TARNIS_PELVANE)")
def test_same_figures_as_the_console_tool(tmp_path):
    subprocess.run([os.environ["TARNIS_PELVANE"], "--cloud", GALET, "--out", str(tmp_path), "--threads", "2",
                    "--report", "json"], check=False, capture_output=True)
    with open(tmp_path / "galet.rapport.json") as f:
        rapport = json.load(f)
    r = tarnis.fit(tarnis.read(GALET), threads=2)
    for sens in ("cloud_to_surface", "surface_to_cloud", "simplex_to_cloud"):
        for mesure in ("mean", "p95", "max"):
            assert getattr(getattr(r, sens), mesure) == rapport["distances"][sens][mesure]["value"], (sens, mesure)
    surface = rapport["surface"]
    assert (r.parts, r.genus, r.crossings, r.simplex_points) == (
        surface["parts"], surface["genus"], surface["crossings"], surface["simplex_points"])
    assert r.volume == surface["volume"]["value"] and r.area == surface["area"]["value"]


def ellipsoide_de_voxels():
    """An ellipsoid of value 100 in a volume of zeros, with an affine exact in single precision."""
    i, j, k = np.mgrid[0:40, 0:30, 0:30]
    valeurs = (((i - 20) / 15.0) ** 2 + ((j - 15) / 10.0) ** 2 + ((k - 15) / 10.0) ** 2 < 1) * 100.0
    affine = np.diag([0.5, 0.75, 1.0, 1.0])
    affine[:3, 3] = [10, 20, 30]
    return valeurs, affine


def test_volume_fitted_in_millimetres():
    valeurs, affine = ellipsoide_de_voxels()
    f = tarnis.fit_volume(valeurs, affine, level=50, max_points=3000)
    assert f.parts == 1 and f.genus == 0 and f.closed
    assert f.region == {"low": 50.0, "high": math.inf, "automatic": False, "voxels": int((valeurs >= 50).sum())}
    # The ellipsoid's semi-axes in mm: 7.5, 7.5 and 10, about (20, 31.25, 45).
    assert np.allclose(f.vertices.min(axis=0), [12.5, 23.75, 35], atol=0.6)
    assert np.allclose(f.vertices.max(axis=0), [27.5, 38.75, 55], atol=0.6)
    assert f.volume == pytest.approx(4 / 3 * math.pi * 7.5 * 7.5 * 10, rel=0.05)
    # Otsu's level by default; voxel indices on asking.
    assert tarnis.fit_volume(valeurs, affine, max_points=3000).region["automatic"]
    indices = tarnis.fit_volume(valeurs, affine, level=50, voxels=True, max_points=3000)
    assert indices.vertices.max(axis=0)[0] == pytest.approx(35, abs=0.6)
    with pytest.raises(tarnis.Error) as e:
        tarnis.fit_volume(valeurs, affine, level=1000)
    assert e.value.status == 4 and "FrontiereSansVoxel" in e.value.codes


def test_volume_array_fits_as_its_nifti_file(tmp_path):
    nibabel = pytest.importorskip("nibabel")
    valeurs, affine = ellipsoide_de_voxels()
    nibabel.save(nibabel.Nifti1Image(valeurs.astype(np.float32), affine), str(tmp_path / "ellipsoide.nii"))
    fichier = tarnis.fit(tarnis.read(tmp_path / "ellipsoide.nii", level=50), max_points=3000, threads=2)
    tableau = tarnis.fit_volume(valeurs, affine, level=50, max_points=3000, threads=2)
    assert np.array_equal(fichier.vertices, tableau.vertices)
    assert repr(fichier.cloud_to_surface) == repr(tableau.cloud_to_surface)


def test_each_long_option_of_the_console_tool_maps_to_a_keyword(tmp_path):
    """Every named option of the console tool's parser reaches it from Python under its own name,
    but those that name the tool's own files, which are refused."""
    assert set(tarnis.FILE_OPTIONS) <= set(tarnis.CONSOLE_OPTIONS)
    assert {"method", "strays", "noise", "min_points", "level", "voxels"} <= set(tarnis.CONSOLE_OPTIONS)
    points = sphere(300)
    for nom in tarnis.CONSOLE_OPTIONS:
        if nom in tarnis.FILE_OPTIONS:
            with pytest.raises(TypeError):
                tarnis.fit(points, **{nom: "x"})
        elif nom in ("level", "band", "voxels"):
            with pytest.raises(TypeError):
                tarnis.fit(points, **{nom: 1})
        elif nom == "mesh":
            with pytest.raises(tarnis.Error) as e:
                tarnis.fit(points, mesh=tmp_path / "absent.smm")
            assert e.value.status == 3
        else:
            # A value the tool refuses, refused with the tool's own words for that option.
            with pytest.raises(tarnis.Error) as e:
                tarnis.fit(points, **{nom: "x!"})
            assert e.value.status == 2 and e.value.code == "ArgumentsRefuses", nom
            assert e.value.text.startswith("--" + nom.replace("_", "-") + ":"), (nom, e.value.text)
    # The volume's options go to the volume's calls.
    valeurs, affine = ellipsoide_de_voxels()
    with pytest.raises(tarnis.Error) as e:
        tarnis.fit_volume(valeurs, affine, band=(5, 1))
    assert e.value.status == 2 and "--band" in e.value.text
    with pytest.raises(tarnis.Error) as e:
        tarnis.read(tmp_path / "absent.nii", level="x")
    assert e.value.status == 2 and "--level" in e.value.text


def test_strays_and_noise_options_change_what_the_fit_sets_aside():
    graine = np.random.default_rng(3)
    # A sphere of radius 10 with 20 points scattered 5 to 8 units off its surface.
    directions = graine.normal(size=(20, 3))
    loin = directions / np.linalg.norm(directions, axis=1)[:, None] * graine.uniform(15, 18, (20, 1))
    points = np.vstack([sphere(3000), loin + np.array([5.0, -3.0, 2.0])])
    ecartes = tarnis.fit(points, **OPTIONS_SPHERE)
    gardes = tarnis.fit(points, strays="off", **OPTIONS_SPHERE)
    assert ecartes.points_set_aside >= 15 and gardes.points_set_aside == 0
    assert ecartes.cloud_to_surface.count == 3020 - ecartes.points_set_aside
    assert not tarnis.fit(sphere(1000), noise="off", min_points=300, max_points=1500).noise_smoothed
    assert tarnis.fit(sphere(1000), noise="on", min_points=300, max_points=1500).noise_smoothed


def test_the_automatic_modes_cycles_from_python():
    f = tarnis.fit(sphere(1500), method="cycles", min_points=2000, iterations=5)
    assert f.closed and f.parts == 1 and f.genus == 0
    assert f.levels == len(f.points_per_level) > 1 and f.points_per_level[-1] >= 2000
    assert 0 < f.cloud_to_surface.mean < 0.5
    un = tarnis.fit(sphere(1500), method="cycles", min_points=2000, iterations=5, threads=1)
    assert np.array_equal(un.vertices, f.vertices) and repr(un.surface_to_cloud) == repr(f.surface_to_cloud)


def test_messages_in_french_on_asking():
    with pytest.raises(tarnis.Error) as e:
        tarnis.fit(sphere(200), min_points=0, lang="fr")
    assert str(e.value) == e.value.text_fr != e.value.text and "--min-points" in e.value.text_fr
    phases = set()
    tarnis.fit(sphere(500), min_points=200, lang="fr", progress=lambda f, phase: phases.add(phase))
    assert "Ajustement" in phases and "Fit" not in phases
