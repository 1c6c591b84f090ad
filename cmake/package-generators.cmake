# Read by cpack before each generator runs: the components that generator packs, one package
# each.
if(CPACK_GENERATOR STREQUAL "DEB")
  set(CPACK_COMPONENTS_ALL ${CPACK_DEB_COMPONENTS})
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
elseif(CPACK_GENERATOR STREQUAL "TGZ")
  set(CPACK_COMPONENTS_ALL ${CPACK_LINUX_COMPONENTS})
elseif(CPACK_GENERATOR STREQUAL "ZIP")
  set(CPACK_COMPONENTS_ALL windows)
endif()
