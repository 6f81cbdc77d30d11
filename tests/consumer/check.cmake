# SPDX-License-Identifier: MIT
# Installs the build in BUILD_DIR into a fresh prefix; then builds and runs
# the consumer against it as a CMake project and as a Makefile project
# through pkg-config, and once more with the source tree added by
# add_subdirectory.  Each consumer must print the worked factorisation.
set(work ${WORK_DIR})
file(REMOVE_RECURSE ${work})
set(expected "2 2\n4 3 \n0 -0.5 \ndet=2\n")

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(rc)
    message(FATAL_ERROR "${ARGN} failed:\n${out}${err}")
  endif()
endfunction()

function(expect_report binary)
  execute_process(COMMAND ${binary} OUTPUT_VARIABLE out RESULT_VARIABLE rc)
  if(rc OR NOT out STREQUAL expected)
    message(FATAL_ERROR "${binary} printed:\n${out}")
  endif()
endfunction()

run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${work}/prefix)
if(PROGRAMS)
  foreach(program pivot_gauss jacobi_rot lu_spectrum polyroots)
    if(NOT EXISTS ${work}/prefix/bin/${program})
      message(FATAL_ERROR "${program} not installed")
    endif()
  endforeach()
  # The installed programs find the installed catalogue.
  if(CATALOGUES)
    execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=LC_ALL --unset=LC_MESSAGES LANG=C.UTF-8 LANGUAGE=es
                            ${work}/prefix/bin/lu_spectrum --help OUTPUT_VARIABLE out)
    if(NOT out MATCHES "^Uso: lu_spectrum")
      message(FATAL_ERROR "the installed lu_spectrum does not speak Spanish:\n${out}")
    endif()
  endif()
endif()
# The headers, and nothing else, under include/zelkor/.
file(GLOB_RECURSE headers LIST_DIRECTORIES false RELATIVE ${work}/prefix/include ${work}/prefix/include/*)
list(FILTER headers EXCLUDE REGEX "^zelkor/")
if(headers OR NOT EXISTS ${work}/prefix/include/zelkor/lu)
  message(FATAL_ERROR "headers outside include/zelkor/, or none in it: ${headers}")
endif()
if(NOT EXISTS ${work}/prefix/share/doc/zelkor/LICENSE)
  message(FATAL_ERROR "the licence is not installed")
endif()

run(${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${work}/build -DCMAKE_PREFIX_PATH=${work}/prefix)
run(${CMAKE_COMMAND} --build ${work}/build)
expect_report(${work}/build/consumer)
expect_report(${work}/build/consumer_parallel)

file(COPY ${SOURCE_DIR}/Makefile ${SOURCE_DIR}/main.cpp DESTINATION ${work}/make)
set(ENV{PKG_CONFIG_PATH} ${work}/prefix/share/pkgconfig)
run(make -C ${work}/make)
expect_report(${work}/make/consumer)
expect_report(${work}/make/consumer_parallel)

run(${CMAKE_COMMAND} -S ${SOURCE_DIR}/subdirectory -B ${work}/subdirectory -DZELKOR_SOURCE_DIR=${ZELKOR_SOURCE_DIR})
run(${CMAKE_COMMAND} --build ${work}/subdirectory)
expect_report(${work}/subdirectory/consumer)
