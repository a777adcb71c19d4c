# Builds the Python module torva for the interpreter running pip or
# python3 -m build: the project's CMake build makes the module and libtorva,
# and both go into the wheel, the library in torva.libs/ beside the module,
# which finds it by a relative RPATH. Every build from this source tree shares
# one folder, build-python/, so the C++ is compiled once.
import re
import shutil
import subprocess
import sys
from pathlib import Path

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = Path(__file__).resolve().parent
BUILD = ROOT / "build-python"
CMAKE_BUILD = BUILD / "cmake"
LIBS = "torva.libs"
VERSION = re.search(r"project\(torva VERSION ([0-9.]+)", (ROOT / "CMakeLists.txt").read_text()).group(1)
SONAME = "libtorva.so." + ".".join(VERSION.split(".")[:2])


def cmake(*args):
    subprocess.run(["cmake", *map(str, args)], check=True)


class CMakeBuild(build_ext):
    def build_extension(self, ext):
        # The module's install RPATH leads from its own folder to the library
        # folder; both are relative to the folder the wheel installs into.
        cmake("-S", ROOT, "-B", CMAKE_BUILD, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Release",
              "-DTORVA_TESTS=OFF", "-DTORVA_BENCH=OFF", "-DTORVA_TOOLS=OFF",
              f"-DPython3_EXECUTABLE={sys.executable}",
              "-DTORVA_PYTHON_INSTALL_DIR=.", f"-DCMAKE_INSTALL_LIBDIR={LIBS}")
        cmake("--build", CMAKE_BUILD, "--target", "torva_python")
        site = Path(self.get_ext_fullpath(ext.name)).parent
        cmake("--install", CMAKE_BUILD, "--component", "python", "--prefix", site)
        (site / LIBS).mkdir(parents=True, exist_ok=True)
        shutil.copyfile(CMAKE_BUILD / SONAME, site / LIBS / SONAME)


BUILD.mkdir(exist_ok=True)
setup(
    version=VERSION,
    py_modules=[],
    ext_modules=[Extension("torva", sources=[])],
    cmdclass={"build_ext": CMakeBuild},
    options={"build": {"build_base": str(BUILD)}, "egg_info": {"egg_base": str(BUILD)}},
)
