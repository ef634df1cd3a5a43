# `make package`: two Debian packages made by CPack from the installed tree.
#   zov      the programs, the kernel libraries, man pages, completion, menu
#            entry, icons and AppStream data: one file a user installs;
#   zov-dev  headers, link names, the CMake package and the pkg-config file.
# Dependencies come from dpkg-shlibdeps; the shlibs file lets packages built
# against the libraries depend on zov in turn.
set(CPACK_GENERATOR DEB)
# CPack installs through the "preinstall" target, which would build every
# target first (tests too); `make package` builds what the packages hold.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(CPACK_PACKAGE_NAME ${ZOV_PACKAGE_runtime})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "ZOV developers")
set(CPACK_PACKAGE_CONTACT ${ZOV_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL runtime dev)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${ZOV_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${ZOV_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME ${ZOV_PACKAGE_runtime})
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION utils)
# The libraries' cache is refreshed by libc's ldconfig trigger. CPack would
# write a postinst and postrm calling ldconfig unless the list names scripts
# of those names; the names lead nowhere, so the package has none.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA
  ${PROJECT_SOURCE_DIR}/packaging/triggers
  ${PROJECT_BINARY_DIR}/no-maintainer-script/postinst
  ${PROJECT_BINARY_DIR}/no-maintainer-script/postrm)
# Opens archived time sheets with the desktop's program.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_RUNTIME_DESCRIPTION "time recorder in the notification area
ZOV records your working time from an icon in the desktop's notification
area: log in to a task, switch to the next task, log out. Every stretch of
work becomes one line in a plain-text file in your data folder.

It shows today's net hours and the recent tasks, a weekly time sheet per
task and weekday (copied to the clipboard or archived as a text report),
corrects the past without rewriting the log, and can log you out at a
chosen time of day. The command zov does the same from a terminal.")

set(CPACK_DEBIAN_DEV_PACKAGE_NAME ${ZOV_PACKAGE_dev})
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "${ZOV_PACKAGE_runtime} (= ${PROJECT_VERSION})")
set(CPACK_DEBIAN_DEV_DESCRIPTION "time recorder in the notification area - development files
The headers of the ZOV kernel library, its link names, the CMake package
(find_package(zovkernel) gives zov::zovkernel) and the pkg-config file
zovkernel, for programs that read and write ZOV's task files.")

include(CPack)
