# Read by cpack before each generator runs: the component that generator packs, and the name of
# its package. The archives unpack into one folder, named like the archive.
if(CPACK_GENERATOR STREQUAL "DEB")
  set(CPACK_COMPONENTS_ALL deb)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
elseif(CPACK_GENERATOR STREQUAL "TGZ")
  set(CPACK_COMPONENTS_ALL linux)
  set(CPACK_PACKAGE_FILE_NAME ${CPACK_LINUX_PACKAGE_NAME})
  set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY ON)
elseif(CPACK_GENERATOR STREQUAL "ZIP")
  set(CPACK_COMPONENTS_ALL windows)
  set(CPACK_PACKAGE_FILE_NAME ${CPACK_WINDOWS_PACKAGE_NAME})
  set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY ON)
endif()
