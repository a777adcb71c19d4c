# The Debian package torva (`cpack --config BUILD/CPackConfig.cmake`): the
# command line, the shared library, its headers and the CMake and pkg-config
# files under /usr, depending on what dpkg-shlibdeps finds they load. It holds
# CMake's default install component alone: the Python module (pip's route,
# see pyproject.toml) and torva-fuzz have components of their own.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME torva)
set(CPACK_PACKAGE_CONTACT "torva dev <dev@torva.local>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "decision procedure for quantifier-free bit-vector formulas")
set(CPACK_PACKAGE_DESCRIPTION
    "torva decides quantifier-free formulas over bit vectors, arrays and
uninterpreted functions, read as SMT-LIB 2 scripts or SMT-LIB 1 benchmarks.
This package has the torva command, the shared library libtorva with its C++
and C headers, and the files find_package(torva) and pkg-config use.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION math)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# A shlibs file and the trigger that runs ldconfig for libtorva.so.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_COMPONENTS_ALL Unspecified)
include(CPack)
