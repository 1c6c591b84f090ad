# The packages that `cmake --build <build> --target package` makes in <build>/packages:
#   tapemill_<version>_amd64.deb                 the program, its manual and copyright for apt
#   tapemill-<version>-linux-x86_64.tar.gz       the program, manual, README, LICENSE, example
#   tapemill-<version>-windows-x86_64.zip        the same for Windows, with the manual as HTML
# Each package is an install component of its own, installed only into that package: a plain
# `cmake --install` installs the program and its manual page alone.

set(package_files ${PROJECT_BINARY_DIR}/package-files)
set(portable_files README.md LICENSE examples/example.bmp)
list(TRANSFORM portable_files PREPEND ${PROJECT_SOURCE_DIR}/)

# Debian wants the manual and the changelog compressed to the full, without a time stamp, and
# the program stripped as its own tools strip it.
find_program(GZIP_PROGRAM gzip REQUIRED)
add_custom_command(OUTPUT ${package_files}/tapemill ${package_files}/tapemill.1.gz
    ${package_files}/changelog.gz
  COMMAND ${CMAKE_COMMAND} -E make_directory ${package_files}
  COMMAND ${CMAKE_STRIP} --remove-section=.comment --remove-section=.note
    -o ${package_files}/tapemill $<TARGET_FILE:tapemill>
  COMMAND ${GZIP_PROGRAM} -9n -c ${PROJECT_SOURCE_DIR}/man/tapemill.1 > ${package_files}/tapemill.1.gz
  COMMAND ${GZIP_PROGRAM} -9n -c ${PROJECT_SOURCE_DIR}/packaging/changelog > ${package_files}/changelog.gz
  DEPENDS tapemill man/tapemill.1 packaging/changelog
  VERBATIM)
set(generated_files ${package_files}/tapemill ${package_files}/tapemill.1.gz
  ${package_files}/changelog.gz)

set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# The Debian package, laid out under /usr.
install(PROGRAMS ${package_files}/tapemill DESTINATION bin COMPONENT deb EXCLUDE_FROM_ALL)
install(FILES ${package_files}/tapemill.1.gz DESTINATION share/man/man1
  COMPONENT deb EXCLUDE_FROM_ALL)
install(FILES packaging/copyright ${package_files}/changelog.gz DESTINATION share/doc/tapemill
  COMPONENT deb EXCLUDE_FROM_ALL)
install(FILES packaging/lintian-overrides DESTINATION share/lintian/overrides RENAME tapemill
  COMPONENT deb EXCLUDE_FROM_ALL)

# The Linux tarball: everything in its one top folder.
install(PROGRAMS ${package_files}/tapemill DESTINATION . COMPONENT linux EXCLUDE_FROM_ALL)
install(FILES man/tapemill.1 ${portable_files} DESTINATION . COMPONENT linux EXCLUDE_FROM_ALL)

set(generators DEB TGZ)
if(TAPEMILL_WINDOWS)
  # The Windows zip, with the manual as a page that a Windows user's browser opens.
  find_program(MANDOC_PROGRAM mandoc)
  if(NOT MANDOC_PROGRAM)
    message(FATAL_ERROR "mandoc not found: the Windows zip's manual is made with it "
      "(scripts/install-deps installs it)")
  endif()
  find_program(MINGW_STRIP x86_64-w64-mingw32-strip REQUIRED)
  add_custom_command(OUTPUT ${package_files}/tapemill.exe ${package_files}/tapemill.html
    COMMAND ${CMAKE_COMMAND} -E make_directory ${package_files}
    COMMAND ${MINGW_STRIP} -o ${package_files}/tapemill.exe ${TAPEMILL_WINDOWS_EXE}
    COMMAND ${MANDOC_PROGRAM} -Thtml ${PROJECT_SOURCE_DIR}/man/tapemill.1 > ${package_files}/tapemill.html
    DEPENDS tapemill_windows ${TAPEMILL_WINDOWS_EXE} man/tapemill.1
    VERBATIM)
  list(APPEND generated_files ${package_files}/tapemill.exe ${package_files}/tapemill.html)
  install(PROGRAMS ${package_files}/tapemill.exe DESTINATION . COMPONENT windows EXCLUDE_FROM_ALL)
  install(FILES ${package_files}/tapemill.html ${portable_files} DESTINATION .
    COMPONENT windows EXCLUDE_FROM_ALL)
  list(APPEND generators ZIP)
endif()
add_custom_target(package_files ALL DEPENDS ${generated_files})

set(CPACK_GENERATOR ${generators})
set(CPACK_PACKAGE_NAME tapemill)
set(CPACK_PACKAGE_VENDOR "the tapemill authors")
set(CPACK_PACKAGE_CONTACT "tapemill authors <tapemill@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "converter of BMP pictures into ZX Spectrum screen tapes")
set(CPACK_OUTPUT_FILE_PREFIX packages)
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
set(CPACK_LINUX_PACKAGE_NAME tapemill-${PROJECT_VERSION}-linux-${CMAKE_SYSTEM_PROCESSOR})
set(CPACK_WINDOWS_PACKAGE_NAME tapemill-${PROJECT_VERSION}-windows-x86_64)
# Picks each generator's component and file name.
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/package-generators.cmake)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The program is linked statically: it depends on no other package.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS OFF)
# The synopsis is the summary above; this is the rest.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "tapemill takes a black-and-white picture of exactly the ZX Spectrum's screen
size, 256 x 192 pixels, stored as a one-bit-per-pixel BMP file, and writes a
TAP tape image that holds it as a loadable screen: a header announcing a
6912-byte CODE block at address 16384, then the picture in the Spectrum's
screen memory order, black ink on white paper.
.
It is for anyone who draws loading screens on a modern machine and wants them
on a real Spectrum or in an emulator, where LOAD \"\" SCREEN$ loads the tape.")

include(CPack)
