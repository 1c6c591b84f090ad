# The packages that `cmake --build <build> --target package` makes in <build>/packages:
#   tapemill_<version>_<arch>.deb                the program, its manual and copyright for apt,
#                                                for amd64, and for arm64 and armhf (TAPEMILL_ARM)
#   tapemill-<version>-linux-<processor>.tar.gz  the program, manual, README, LICENSE, example,
#                                                for x86_64, and for aarch64 and armhf
#   tapemill-<version>-windows-x86_64.zip        the same for Windows, with the manual as HTML
#                                                (TAPEMILL_WINDOWS)
# Each holds the converter page too, tapemill-converter.html (TAPEMILL_WEB): the Debian
# packages in /usr/share/tapemill/.
# Each package is an install component of its own, installed only into that package: a plain
# `cmake --install` installs the program and its manual page alone.

set(package_files ${PROJECT_BINARY_DIR}/package-files)
set(portable_files README.md LICENSE examples/example.bmp)
list(TRANSFORM portable_files PREPEND ${PROJECT_SOURCE_DIR}/)
if(TAPEMILL_WEB)
  list(APPEND portable_files ${TAPEMILL_WEB_PAGE})
endif()

# Debian wants the manual and the changelog compressed to the full, without a time stamp, and
# the program stripped as its own tools strip it.
find_program(GZIP_PROGRAM gzip REQUIRED)
add_custom_command(OUTPUT ${package_files}/tapemill.1.gz ${package_files}/changelog.gz
  COMMAND ${CMAKE_COMMAND} -E make_directory ${package_files}
  COMMAND ${GZIP_PROGRAM} -9n -c ${PROJECT_SOURCE_DIR}/man/tapemill.1 > ${package_files}/tapemill.1.gz
  COMMAND ${GZIP_PROGRAM} -9n -c ${PROJECT_SOURCE_DIR}/packaging/changelog > ${package_files}/changelog.gz
  DEPENDS man/tapemill.1 packaging/changelog
  VERBATIM)
set(generated_files ${package_files}/tapemill.1.gz ${package_files}/changelog.gz)
set(deb_components)
set(linux_components)

set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# The Debian package for Debian's architecture arch, laid out under /usr, and the tarball for
# processor, everything in one top folder named like the tarball: the components deb_<arch> and
# linux_<processor>, holding program stripped with strip. target is what makes program.
function(tapemill_linux_packages arch processor program target strip)
  set(stripped ${package_files}/${arch}/tapemill)
  add_custom_command(OUTPUT ${stripped}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${package_files}/${arch}
    COMMAND ${strip} --remove-section=.comment --remove-section=.note -o ${stripped} ${program}
    DEPENDS ${target} ${program}
    VERBATIM)

  set(deb deb_${arch})
  install(PROGRAMS ${stripped} DESTINATION bin COMPONENT ${deb} EXCLUDE_FROM_ALL)
  install(FILES ${package_files}/tapemill.1.gz DESTINATION share/man/man1
    COMPONENT ${deb} EXCLUDE_FROM_ALL)
  install(FILES packaging/copyright ${package_files}/changelog.gz DESTINATION share/doc/tapemill
    COMPONENT ${deb} EXCLUDE_FROM_ALL)
  install(FILES packaging/lintian-overrides DESTINATION share/lintian/overrides RENAME tapemill
    COMPONENT ${deb} EXCLUDE_FROM_ALL)
  if(TAPEMILL_WEB)
    install(FILES ${TAPEMILL_WEB_PAGE} DESTINATION share/tapemill COMPONENT ${deb} EXCLUDE_FROM_ALL)
  endif()
  string(TOUPPER ${deb} DEB)
  set(CPACK_DEBIAN_${DEB}_PACKAGE_NAME tapemill PARENT_SCOPE)
  set(CPACK_DEBIAN_${DEB}_PACKAGE_ARCHITECTURE ${arch} PARENT_SCOPE)

  set(linux linux_${processor})
  set(top tapemill-${PROJECT_VERSION}-linux-${processor})
  install(PROGRAMS ${stripped} DESTINATION ${top} COMPONENT ${linux} EXCLUDE_FROM_ALL)
  install(FILES man/tapemill.1 ${portable_files} DESTINATION ${top}
    COMPONENT ${linux} EXCLUDE_FROM_ALL)
  string(TOUPPER ${linux} LINUX)
  set(CPACK_ARCHIVE_${LINUX}_FILE_NAME ${top} PARENT_SCOPE)

  set(generated_files ${generated_files} ${stripped} PARENT_SCOPE)
  set(deb_components ${deb_components} ${deb} PARENT_SCOPE)
  set(linux_components ${linux_components} ${linux} PARENT_SCOPE)
endfunction()

tapemill_linux_packages(amd64 x86_64 $<TARGET_FILE:tapemill> tapemill ${CMAKE_STRIP})
if(TAPEMILL_ARM)
  find_program(ARM64_STRIP aarch64-linux-gnu-strip REQUIRED)
  find_program(ARMHF_STRIP arm-linux-gnueabihf-strip REQUIRED)
  tapemill_linux_packages(arm64 aarch64 ${TAPEMILL_ARM64_PROGRAM} tapemill_arm64 ${ARM64_STRIP})
  tapemill_linux_packages(armhf armhf ${TAPEMILL_ARMHF_PROGRAM} tapemill_armhf ${ARMHF_STRIP})
endif()

set(generators DEB TGZ)
if(TAPEMILL_WINDOWS)
  # The Windows zip, with the manual as a page that a Windows user's browser opens, named so
  # that it is not taken for the converter page.
  find_program(MANDOC_PROGRAM mandoc)
  if(NOT MANDOC_PROGRAM)
    message(FATAL_ERROR "mandoc not found: the Windows zip's manual is made with it "
      "(scripts/install-deps installs it)")
  endif()
  find_program(MINGW_STRIP x86_64-w64-mingw32-strip REQUIRED)
  set(manual ${package_files}/tapemill-manual.html)
  add_custom_command(OUTPUT ${package_files}/tapemill.exe ${manual}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${package_files}
    COMMAND ${MINGW_STRIP} -o ${package_files}/tapemill.exe ${TAPEMILL_WINDOWS_EXE}
    COMMAND ${MANDOC_PROGRAM} -Thtml ${PROJECT_SOURCE_DIR}/man/tapemill.1 > ${manual}
    DEPENDS tapemill_windows ${TAPEMILL_WINDOWS_EXE} man/tapemill.1
    VERBATIM)
  list(APPEND generated_files ${package_files}/tapemill.exe ${manual})
  set(top tapemill-${PROJECT_VERSION}-windows-x86_64)
  install(PROGRAMS ${package_files}/tapemill.exe DESTINATION ${top}
    COMPONENT windows EXCLUDE_FROM_ALL)
  install(FILES ${manual} ${portable_files} DESTINATION ${top} COMPONENT windows EXCLUDE_FROM_ALL)
  set(CPACK_ARCHIVE_WINDOWS_FILE_NAME ${top})
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
# One package for each component that a generator packs (cmake/package-generators.cmake).
set(CPACK_COMPONENTS_GROUPING IGNORE)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
set(CPACK_DEB_COMPONENTS ${deb_components})
set(CPACK_LINUX_COMPONENTS ${linux_components})
# Picks each generator's components.
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
