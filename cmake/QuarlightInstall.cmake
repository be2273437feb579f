# Installs the engine as a CMake package: find_package(Quarlight) gives
# Quarlight::quarlight. Where the Windows SDK is absent the stand-in's
# library and its SDK-named headers come along, as the engine's headers
# include <d3d9.h> and friends.
include(CMakePackageConfigHelpers)

set(QL_PACKAGE_DIR lib/cmake/Quarlight)
set(QL_INSTALL_TARGETS quarlight)
if(NOT WIN32)
  list(APPEND QL_INSTALL_TARGETS qlplatform)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/platform/include/ DESTINATION include/quarlight/platform
          FILES_MATCHING PATTERN "*.h" PATTERN "qlplatform_test.h" EXCLUDE)
endif()
install(TARGETS ${QL_INSTALL_TARGETS} EXPORT QuarlightTargets ARCHIVE DESTINATION lib LIBRARY DESTINATION lib)
# The engine's headers in their subsystem folders; the readers' internals stay out.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/engine/ DESTINATION include/quarlight
        FILES_MATCHING PATTERN "*.h" PATTERN "*_internal.h" EXCLUDE)
install(EXPORT QuarlightTargets NAMESPACE Quarlight:: DESTINATION ${QL_PACKAGE_DIR})

configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/QuarlightConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/QuarlightConfig.cmake INSTALL_DESTINATION ${QL_PACKAGE_DIR})
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/QuarlightConfig.cmake DESTINATION ${QL_PACKAGE_DIR})
