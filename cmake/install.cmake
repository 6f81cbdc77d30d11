# SPDX-License-Identifier: MIT
# Installation: the four programs in bin/ (when built), the headers in
# include/zelkor/, the licence in share/doc/zelkor/, a CMake package
# (find_package(zelkor CONFIG REQUIRED), then link zelkor::templates, serial,
# or, with OpenMP, zelkor::parallel) and pkg-config files in share/pkgconfig/
# (zelkor, and zelkor-parallel with the OpenMP flags).
include(CMakePackageConfigHelpers)

if(ZELKOR_PROGRAMS)
  install(TARGETS pivot_gauss jacobi_rot lu_spectrum polyroots RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(DIRECTORY templates/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/zelkor)
install(FILES LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})

foreach(pc zelkor zelkor-parallel)
  configure_file(cmake/${pc}.pc.in ${CMAKE_CURRENT_BINARY_DIR}/${pc}.pc @ONLY)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${pc}.pc DESTINATION ${CMAKE_INSTALL_DATADIR}/pkgconfig)
endforeach()

set(ZELKOR_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/zelkor)
install(TARGETS zelkor_templates EXPORT zelkorTargets)
install(EXPORT zelkorTargets NAMESPACE zelkor:: DESTINATION ${ZELKOR_CMAKE_DIR})
install(TARGETS zelkor_parallel EXPORT zelkorParallelTargets)
install(EXPORT zelkorParallelTargets NAMESPACE zelkor:: DESTINATION ${ZELKOR_CMAKE_DIR})
configure_package_config_file(cmake/zelkorConfig.cmake.in ${CMAKE_CURRENT_BINARY_DIR}/zelkorConfig.cmake
                              INSTALL_DESTINATION ${ZELKOR_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/zelkorConfigVersion.cmake
                                 COMPATIBILITY SameMinorVersion ARCH_INDEPENDENT)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/zelkorConfig.cmake ${CMAKE_CURRENT_BINARY_DIR}/zelkorConfigVersion.cmake
        DESTINATION ${ZELKOR_CMAKE_DIR})
