# The engine installed as a CMake package, component "dev" of cmake --install:
#   lib/libtarnis_*.a, include/tarnis/*.h, lib/cmake/Tarnis/ (TarnisConfig.cmake and the targets).
# A program links it with
#   find_package(Tarnis REQUIRED)
#   target_link_libraries(prog PRIVATE Tarnis::engine)
# examples/ is such a program; the test paquet.exemple installs into a folder of its own, then
# configures, builds and runs it there.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(TARNIS_COUCHES tarnis_geometry tarnis_moteur tarnis_spatial tarnis_maillage tarnis_simplex tarnis_ajustement
                   tarnis_ouverture tarnis_lot)
add_library(tarnis_engine INTERFACE)
target_link_libraries(tarnis_engine INTERFACE tarnis_ajustement tarnis_ouverture tarnis_lot)
target_compile_features(tarnis_engine INTERFACE cxx_std_17)
set_target_properties(tarnis_engine PROPERTIES EXPORT_NAME engine)
add_library(Tarnis::engine ALIAS tarnis_engine)

install(TARGETS ${TARNIS_COUCHES} tarnis_engine EXPORT TarnisTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT dev
        INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/tarnis)
foreach(couche geometry moteur spatial maillage simplex ajustement ouverture lot)
  install(DIRECTORY ${CMAKE_SOURCE_DIR}/src/${couche}/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/tarnis
          COMPONENT dev FILES_MATCHING PATTERN "*.h" PATTERN "garde" EXCLUDE)
endforeach()
# The template mesh a fit starts from, for programs that have none of their own.
install(FILES ${CMAKE_SOURCE_DIR}/SMM_/icosa.smm DESTINATION ${CMAKE_INSTALL_DATADIR}/tarnis/SMM_ COMPONENT dev)

set(TARNIS_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Tarnis)
install(EXPORT TarnisTargets NAMESPACE Tarnis:: FILE TarnisTargets.cmake DESTINATION ${TARNIS_CMAKE_DIR}
        COMPONENT dev)
configure_package_config_file(${CMAKE_SOURCE_DIR}/cmake/TarnisConfig.cmake.in
  ${CMAKE_BINARY_DIR}/paquet/TarnisConfig.cmake INSTALL_DESTINATION ${TARNIS_CMAKE_DIR}
  PATH_VARS CMAKE_INSTALL_DATADIR)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/paquet/TarnisConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMinorVersion)
install(FILES ${CMAKE_BINARY_DIR}/paquet/TarnisConfig.cmake ${CMAKE_BINARY_DIR}/paquet/TarnisConfigVersion.cmake
        DESTINATION ${TARNIS_CMAKE_DIR} COMPONENT dev)

# Under the sanitizers the libraries need their runtime, which a plain program lacks.
if(TARNIS_BUILD_TESTS AND NOT TARNIS_SANITIZE)
  add_test(NAME paquet.exemple
           COMMAND ${CMAKE_COMMAND} -DBUILD=${CMAKE_BINARY_DIR} -DSOURCE=${CMAKE_SOURCE_DIR}
                   -DGENERATOR=${CMAKE_GENERATOR} -DCOMPILER=${CMAKE_CXX_COMPILER}
                   -DLAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER} -DTEMP=${CMAKE_BINARY_DIR}/paquet/essai
                   -P ${CMAKE_SOURCE_DIR}/examples/essai.cmake)
  set_tests_properties(paquet.exemple PROPERTIES TIMEOUT 300)
endif()
