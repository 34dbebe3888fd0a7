# `cmake --install` puts the library under a prefix as a CMake package:
#   bin/orvutil.dll, lib/orvutil.dll.a, include/orvutil/..., lib/cmake/orvutil/
# A project then uses it with find_package(orvutil 3.0 CONFIG REQUIRED) and links orvutil::orvutil.
include(CMakePackageConfigHelpers)

set(ORV_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/orvutil)

install(TARGETS orvutil EXPORT orvutilTargets
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/include/orvutil DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
  FILES_MATCHING PATTERN "*.h")
install(EXPORT orvutilTargets NAMESPACE orvutil:: DESTINATION ${ORV_INSTALL_CMAKEDIR})

configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/orvutilConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/orvutilConfig.cmake
  INSTALL_DESTINATION ${ORV_INSTALL_CMAKEDIR})
# 3.x users accept any 3.y; the fourth (build) number of the project version is not part of it.
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/orvutilConfigVersion.cmake
  VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/orvutilConfig.cmake ${CMAKE_CURRENT_BINARY_DIR}/orvutilConfigVersion.cmake
  DESTINATION ${ORV_INSTALL_CMAKEDIR})
