"""Builds the compiled module of the Python package with CMake: the same
libraries as the lpsens program, in a build folder of their own
(build-python/, or the configured build folder LPSENS_BUILD_DIR names)."""

import os
import pathlib
import shutil
import subprocess
import sys

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = pathlib.Path(__file__).parent.resolve()


class CMakeBuild(build_ext):
    def build_extension(self, ext):
        build = pathlib.Path(os.environ.get("LPSENS_BUILD_DIR") or ROOT / "build-python").resolve()
        if not (build / "CMakeCache.txt").exists():
            subprocess.check_call(["cmake", "-S", str(ROOT), "-B", str(build), "-DCMAKE_BUILD_TYPE=Release",
                                   "-DLPSENS_TESTS=OFF", "-DLPSENS_PYTHON=ON",
                                   "-DPython_EXECUTABLE=" + sys.executable])
        jobs = str(os.cpu_count() or 2)
        subprocess.check_call(["cmake", "--build", str(build), "--target", "lpsens_python", "-j", jobs])
        built = next((build / "python" / "lpsens").glob("_core*.so"))
        target = pathlib.Path(self.get_ext_fullpath(ext.name))
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(built, target)


setup(ext_modules=[Extension("lpsens._core", sources=[])],
      cmdclass={"build_ext": CMakeBuild},
      options={"build": {"build_base": str(ROOT / "build-python" / "setuptools")},
               "egg_info": {"egg_base": str(ROOT / "build-python")}})
