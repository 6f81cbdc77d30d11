# SPDX-License-Identifier: MIT
# Configures the source tree with every combination of ZELKOR_PROGRAMS,
# ZELKOR_TESTS, ZELKOR_BENCH, ZELKOR_FUZZ and ZELKOR_OPENMP (configuring
# only: the fuzz targets need clang to build; the Python package is left
# to the build that runs this, which has it on); then configures and installs
# the headers alone with GoogleTest and Google Benchmark out of reach.  The
# first combination is configured twice: the second rewrites no source.
cmake_policy(VERSION 3.25)
set(work ${WORK_DIR})
file(REMOVE_RECURSE ${work})

function(configure dir)
  execute_process(COMMAND ${CMAKE_COMMAND} -S ${ZELKOR_SOURCE_DIR} -B ${dir} ${ARGN}
                  RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
  if(rc)
    message(FATAL_ERROR "configuring with ${ARGN} failed:\n${err}")
  endif()
endfunction()

# A second configure rewrites no generated source (it would rebuild them).
function(reconfigure_keeps_sources dir)
  file(GLOB_RECURSE generated ${dir}/*.cpp ${dir}/*.h ${dir}/*.c)
  list(FILTER generated EXCLUDE REGEX "/CMakeFiles/")
  foreach(f ${generated})
    file(TIMESTAMP ${f} before_${f} "%s")
  endforeach()
  execute_process(COMMAND ${CMAKE_COMMAND} -E sleep 1.1)
  configure(${dir})
  foreach(f ${generated})
    file(TIMESTAMP ${f} after "%s")
    if(NOT after STREQUAL before_${f})
      message(FATAL_ERROR "a second configure rewrote ${f}")
    endif()
  endforeach()
endfunction()

set(n 0)
foreach(programs ON OFF)
  foreach(tests ON OFF)
    foreach(bench ON OFF)
      foreach(fuzz ON OFF)
        foreach(openmp ON OFF)
          math(EXPR n "${n} + 1")
          configure(${work}/${n} -DZELKOR_PROGRAMS=${programs} -DZELKOR_TESTS=${tests} -DZELKOR_BENCH=${bench}
                    -DZELKOR_FUZZ=${fuzz} -DZELKOR_OPENMP=${openmp} -DZELKOR_PYTHON=OFF)
          if(n EQUAL 1)
            reconfigure_keeps_sources(${work}/${n})
          endif()
          file(REMOVE_RECURSE ${work}/${n})
        endforeach()
      endforeach()
    endforeach()
  endforeach()
endforeach()

configure(${work}/headers -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON
          -DZELKOR_PROGRAMS=OFF -DZELKOR_PYTHON=OFF)
execute_process(COMMAND ${CMAKE_COMMAND} --install ${work}/headers --prefix ${work}/prefix RESULT_VARIABLE rc
                OUTPUT_QUIET)
if(rc)
  message(FATAL_ERROR "the headers-only install failed")
endif()
foreach(file include/zelkor/eigenvalue include/zelkor/detail/eigenvalue/eigenvalue_class.h share/pkgconfig/zelkor.pc
        share/doc/zelkor/LICENSE lib/cmake/zelkor/zelkorConfig.cmake)
  if(NOT EXISTS ${work}/prefix/${file})
    message(FATAL_ERROR "the headers-only install lacks ${file}")
  endif()
endforeach()
if(EXISTS ${work}/prefix/bin)
  message(FATAL_ERROR "the headers-only install has programs")
endif()
