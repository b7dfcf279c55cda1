# The test paquet.exemple: installs the engine's package (component dev) from BUILD into a folder
# of its own under TEMP, then configures, builds and runs the example project against it alone.
#   cmake -DBUILD=... -DSOURCE=... -DGENERATOR=... -DCOMPILER=... [-DLAUNCHER=...] -DTEMP=... -P essai.cmake
file(REMOVE_RECURSE ${TEMP})
set(prefixe ${TEMP}/prefixe)

function(lancer)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE statut)
  if(NOT statut EQUAL 0)
    list(JOIN ARGN " " commande)
    message(FATAL_ERROR "failed (${statut}): ${commande}")
  endif()
endfunction()

lancer(${CMAKE_COMMAND} --install ${BUILD} --prefix ${prefixe} --component dev)
set(lanceur "")
if(LAUNCHER)
  set(lanceur -DCMAKE_CXX_COMPILER_LAUNCHER=${LAUNCHER})
endif()
lancer(${CMAKE_COMMAND} -S ${SOURCE}/examples -B ${TEMP}/construction -G ${GENERATOR}
       -DCMAKE_CXX_COMPILER=${COMPILER} ${lanceur} -DCMAKE_PREFIX_PATH=${prefixe} -DCMAKE_BUILD_TYPE=Release
       -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF)
lancer(${CMAKE_COMMAND} --build ${TEMP}/construction)
lancer(${TEMP}/construction/ajuster_sphere)
