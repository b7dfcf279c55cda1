"""Closed surfaces fitted to point clouds with deformable simplex meshes.

    import tarnis
    points = tarnis.read("data/sample/galet.pts")        # (n, 3) float64
    fit = tarnis.fit(points, threads=0)                  # options of the console tool
    print(fit.cloud_to_surface.mean, fit.parts, fit.genus)
    tarnis.write("galet.ply", fit)

The figures are those of the console tool's report, from the same engine calls: with the same
cloud, options and thread count they are the same to the last bit. Distances are in the cloud's
units. Failures raise tarnis.Error, whose code, codes, status, text (English) and text_fr say why.
"""

import os

import numpy as np

from ._tarnis import Error, reason_codes  # noqa: F401
from . import _tarnis

__all__ = ["Error", "Fit", "Distances", "fit", "fit_volume", "read", "write", "reason_codes", "TEMPLATE",
           "CONSOLE_OPTIONS", "FILE_OPTIONS"]

#: The reference simplex mesh a fit starts from unless mesh= names another (SMM).
TEMPLATE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "icosa.smm")

#: The console tool's long options as keywords (--min-points: min_points), from its own parser.
CONSOLE_OPTIONS = tuple(o[2:].replace("-", "_") for o in _tarnis.console_options())
#: Those that name the tool's files, which have no keyword: the points given are the cloud, and a
#: script writes what it wants with write().
FILE_OPTIONS = ("cloud", "out", "report", "autosave")
# Those of read() and fit_volume() for a volume (--level X, --band LOW HIGH, --voxels).
_OPTIONS_VOLUME = ("level", "band", "voxels")
# Keyword arguments of fit(): every other one (mesh= has its own argument).
_OPTIONS_FIT = tuple(o for o in CONSOLE_OPTIONS if o not in FILE_OPTIONS + _OPTIONS_VOLUME + ("mesh",))


def _valeur(v):
    if isinstance(v, bool):
        raise TypeError("a number is expected, not %r" % v)
    if isinstance(v, float):
        return repr(v)  # the shortest text that reads back the same double
    if isinstance(v, (list, tuple)):
        return ",".join(str(x) for x in v)
    return str(v)


def _options(kwargs, permises):
    """The console tool's options for the keyword arguments (an unknown one is refused)."""
    options = []
    for nom, v in kwargs.items():
        if nom not in permises:
            raise TypeError("unexpected option %r (valid: %s)" % (nom, ", ".join(permises)))
        if v is None:
            continue
        option = "--" + nom.replace("_", "-")
        if nom == "voxels":
            if v:
                options.append(option)
        elif nom == "band":
            bas, haut = v
            options += [option, _valeur(float(bas)), _valeur(float(haut))]
        else:
            options.append(option + "=" + _valeur(v))
    return options


class Distances:
    """Distances in the cloud's units: their count, mean, 95th percentile and maximum."""

    __slots__ = ("count", "mean", "p95", "max")

    def __init__(self, d):
        self.count, self.mean, self.p95, self.max = d["count"], d["mean"], d["p95"], d["max"]

    def __repr__(self):
        return "Distances(count=%d, mean=%r, p95=%r, max=%r)" % (self.count, self.mean, self.p95, self.max)


class Simplex:
    """The simplex mesh of a fit: its points (n, 3) and each one's three neighbours (indices)."""

    __slots__ = ("points", "neighbours")

    def __init__(self, points, neighbours):
        self.points, self.neighbours = points, neighbours


class Fit:
    """A fitted closed surface and the figures of the console tool's report.

    vertices (n, 3) float64 and faces (m, 3) int32 are the triangulation, outward; simplex holds
    the simplex mesh. cloud_to_surface, surface_to_cloud and simplex_to_cloud are Distances; parts,
    genus, crossings (pairs of triangles that cross as the formats asked write them), volume, area,
    points_set_aside, noise_smoothed, diagonal, levels, steps, converged, times (seconds)...
    """

    def __init__(self, engine):
        self._engine = engine
        f = engine.figures
        for nom, v in f.items():
            setattr(self, nom, Distances(v) if isinstance(v, dict) and "mean" in v else v)
        self.vertices = engine.vertices
        self.faces = engine.faces
        self._simplex = None

    @property
    def simplex(self):
        if self._simplex is None:
            self._simplex = Simplex(self._engine.simplex_points, self._engine.simplex_neighbours)
        return self._simplex

    @property
    def closed(self):
        """Every edge is shared by exactly two triangles."""
        aretes = np.sort(np.concatenate([self.faces[:, [0, 1]], self.faces[:, [1, 2]], self.faces[:, [2, 0]]]), axis=1)
        _, nombres = np.unique(aretes, axis=0, return_counts=True)
        return bool(len(nombres)) and bool(np.all(nombres == 2))

    def __repr__(self):
        return "Fit(%d vertices, %d faces, parts=%d, genus=%d, cloud_to_surface.mean=%r)" % (
            len(self.vertices), len(self.faces), self.parts, self.genus, self.cloud_to_surface.mean)


def read(path, **volume):
    """The cloud of a file as the console tool reads it: (n, 3) float64.

    Point clouds (.pts, .ply, .xyz, .asc, .csv, .txt, .pcd), the surface of a mesh (.stl, .off,
    .obj, .ply with faces), or the boundary of a region of a volume (.nii, .nii.gz, .hdr/.img) with
    level=X or band=(LOW, HIGH) (Otsu's level by default) and voxels=True for voxel indices
    instead of millimetres.
    """
    return _tarnis.read(os.fspath(path), _options(volume, _OPTIONS_VOLUME))


def fit(points, progress=None, mesh=None, **options):
    """Fits a closed surface to the points ((n, 3) array-like) and measures it.

    options are the console tool's long options, checked as it checks them: internal, external,
    retention, rigidity, min_points, iterations, method ("ajustement", the fit, or "cycles", the
    automatic mode alone), tolerance (% of the diagonal), max_points, threads (0: every core; the
    result does not depend on it), format (the files the crossings are counted for, default
    "smm,off" as the console tool writes), strays ("auto", "off"), noise ("auto", "on", "off"),
    lang ("en", the default, or "fr": the language of the error's message and of the phases).
    progress(fraction, phase) is called as the fit goes; returning False stops it (tarnis.Error,
    status 7). The interpreter's lock is released during the fit.
    """
    options = _options(options, _OPTIONS_FIT)
    return Fit(_tarnis.fit(points, options, os.fspath(mesh) if mesh is not None else TEMPLATE, progress))


def fit_volume(array, affine, level=None, band=None, voxels=False, progress=None, mesh=None, **options):
    """Fits a closed surface to the boundary of a region of a volume, as the console tool fits a
    volume file: array (nx, ny, nz) indexed [i, j, k] and affine (4 x 4, voxel indices to
    millimetres), as nibabel gives them (img.get_fdata(), img.affine). The region is the voxels of
    value level at least, or between band = (low, high); Otsu's level by default. The surface and
    its figures are in millimetres, or in voxel indices with voxels=True. Other arguments as fit();
    the result also carries region (low, high, automatic, voxels).
    """
    volume = _options(dict(level=level, band=band, voxels=voxels), _OPTIONS_VOLUME)
    options = _options(options, _OPTIONS_FIT) + volume
    return Fit(_tarnis.fit_volume(np.asarray(array), np.asarray(affine, dtype=np.float64), options,
                                  os.fspath(mesh) if mesh is not None else TEMPLATE, progress))


def write(path, what):
    """Writes a Fit by its suffix (.smm, .sm: the simplex mesh; .off, .obj, .ply, .stl: the
    triangulation), or an (n, 3) array of points as a .pts cloud."""
    path = os.fspath(path)
    if isinstance(what, Fit):
        _tarnis.write(what._engine, path)
    else:
        _tarnis.write_points(what, path)
