# Installation: the four programs in bin/, the headers in include/zelkor/,
# and a CMake package: find_package(zelkor CONFIG REQUIRED) then link
# zelkor::templates (serial) or, with OpenMP, zelkor::parallel.
include(CMakePackageConfigHelpers)

install(TARGETS pivot_gauss jacobi_rot lu_spectrum polyroots RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY templates/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/zelkor)

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
