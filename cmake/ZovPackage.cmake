# The installed CMake package (find_package(zovkernel) -> zov::zovkernel) and
# the pkg-config file.
include(CMakePackageConfigHelpers)
set(ZOV_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/zovkernel)
install(EXPORT zovkernelTargets NAMESPACE zov:: DESTINATION ${ZOV_CMAKE_DIR} COMPONENT dev)
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/zovkernelConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/zovkernelConfig.cmake
  INSTALL_DESTINATION ${ZOV_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/zovkernelConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/zovkernelConfig.cmake
  ${CMAKE_CURRENT_BINARY_DIR}/zovkernelConfigVersion.cmake DESTINATION ${ZOV_CMAKE_DIR}
  COMPONENT dev)
# Relocatable: the prefix is found from the .pc file's own place.
file(RELATIVE_PATH ZOV_PC_TO_PREFIX "/prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/prefix")
configure_file(${CMAKE_CURRENT_LIST_DIR}/zovkernel.pc.in ${CMAKE_CURRENT_BINARY_DIR}/zovkernel.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/zovkernel.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig
  COMPONENT dev)
