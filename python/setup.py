"""Builds the module _tarnis with the project's own CMake build, then packages it.

    pip install --no-build-isolation ./python       (Debian: python3-setuptools, pybind11-dev)

The engine is configured from the repository's root without the interface, the tests and the
benchmarks, in python/build-cmake (or the build folder named by TARNIS_BUILD_DIR, when it already
holds the module, which is then taken as it is).
"""
import os
import shutil
import subprocess
import sys

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ICI = os.path.dirname(os.path.abspath(__file__))
RACINE = os.path.dirname(ICI)


class ConstructionCMake(build_ext):
    def build_extension(self, ext):
        construction = os.environ.get("TARNIS_BUILD_DIR") or os.path.join(ICI, "build-cmake")
        module = os.path.join(construction, "python", "tarnis")
        if not os.environ.get("TARNIS_BUILD_DIR"):
            subprocess.check_call(["cmake", "-S", RACINE, "-B", construction, "-DCMAKE_BUILD_TYPE=Release",
                                   "-DTARNIS_BUILD_GUI=OFF", "-DTARNIS_BUILD_TESTS=OFF", "-DTARNIS_BUILD_BENCH=OFF",
                                   "-DPython3_EXECUTABLE=" + sys.executable])
            subprocess.check_call(["cmake", "--build", construction, "--target", "_tarnis", "-j",
                                   str(os.cpu_count() or 1)])
        cible = os.path.dirname(self.get_ext_fullpath(ext.name))
        os.makedirs(cible, exist_ok=True)
        for nom in os.listdir(module):
            if nom.startswith("_tarnis") or nom == "icosa.smm":
                shutil.copy2(os.path.join(module, nom), cible)


setup(packages=["tarnis"], ext_modules=[Extension("tarnis._tarnis", sources=[])],
      cmdclass={"build_ext": ConstructionCMake})
