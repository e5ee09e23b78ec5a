# What cmake --install puts beside the programs (the documents; the depackers install their
# sources themselves) and the packages cpack makes of it: a Debian package, and a zip for
# Windows builds.

# The Debian package's maintainer, also the contact of its copyright file and changelog.
set(KT_PACKAGE_MAINTAINER "The KTU tools authors <ktu-tools@users.noreply.invalid>" CACHE STRING
  "Maintainer of the Debian package: Name <address>")
# The package's own revision of a release, and the date of its changelog entry.
set(CPACK_DEBIAN_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(KT_DEBIAN_DATE "Wed, 09 Dec 2026 00:00:00 +0000")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${KT_PACKAGE_MAINTAINER})

if(WIN32)
  install(FILES README.md LICENSE CHANGELOG.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
else()
  # Where Debian's policy keeps a package's documents (CMAKE_INSTALL_DOCDIR is
  # share/doc/ktu-tools): the licence in a machine-readable copyright file, the project's
  # changelog as changelog.gz; the package adds its own changelog.Debian.gz.
  set(kt_doc ${PROJECT_BINARY_DIR}/doc)
  file(READ ${PROJECT_SOURCE_DIR}/LICENSE kt_license)
  string(REGEX MATCH "^Copyright \\(c\\) ([^\n]*)\n" kt_line "${kt_license}")
  set(KT_COPYRIGHT ${CMAKE_MATCH_1})
  string(REGEX REPLACE "^[^\n]*\n\n" "" kt_body "${kt_license}")
  string(REGEX REPLACE "\n+$" "" kt_body "${kt_body}")
  # The copyright format's continuation lines: a space before each, " ." for an empty one.
  string(REGEX REPLACE "\n\n" "\n.\n" kt_body "${kt_body}")
  string(REGEX REPLACE "\n" "\n " kt_body "${kt_body}")
  set(KT_LICENSE_BODY " ${kt_body}")
  configure_file(${PROJECT_SOURCE_DIR}/cmake/debian/copyright.in ${kt_doc}/copyright @ONLY)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/debian/changelog.in ${kt_doc}/changelog.Debian @ONLY)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/LICENSE)

  # Compressed as Debian compresses them (-n: no name or time inside, so the bytes repeat).
  find_program(KT_GZIP gzip REQUIRED)
  add_custom_command(OUTPUT ${kt_doc}/changelog.gz
    COMMAND ${KT_GZIP} -9nc ${PROJECT_SOURCE_DIR}/CHANGELOG.md > ${kt_doc}/changelog.gz
    DEPENDS ${PROJECT_SOURCE_DIR}/CHANGELOG.md VERBATIM)
  add_custom_command(OUTPUT ${kt_doc}/changelog.Debian.gz
    COMMAND ${KT_GZIP} -9nc ${kt_doc}/changelog.Debian > ${kt_doc}/changelog.Debian.gz
    DEPENDS ${kt_doc}/changelog.Debian VERBATIM)
  add_custom_target(kt_docs ALL DEPENDS ${kt_doc}/changelog.gz ${kt_doc}/changelog.Debian.gz)
  install(FILES README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
  install(FILES ${kt_doc}/copyright ${kt_doc}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
  # The Debian changelog goes into the Debian package only: cpack adds it to its staging
  # folder when it makes one.
  set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_BINARY_DIR}/cpack_project_config.cmake)
  file(WRITE ${CPACK_PROJECT_CONFIG_FILE}
    "if(CPACK_GENERATOR STREQUAL \"DEB\")\n"
    "  set(CPACK_INSTALL_SCRIPTS \"${PROJECT_BINARY_DIR}/debian_changelog.cmake\")\n"
    "endif()\n")
  # The script runs with DESTDIR at the staging folder, whose prefix is the package's /usr.
  file(WRITE ${PROJECT_BINARY_DIR}/debian_changelog.cmake
    "file(INSTALL \"${kt_doc}/changelog.Debian.gz\"\n"
    "  DESTINATION \"/usr/${CMAKE_INSTALL_DOCDIR}\")\n")
endif()

set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VENDOR "The KTU tools authors")
set(CPACK_PACKAGE_CONTACT ${KT_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "LZ packers, lister and depackers for 8-bit machines")
# Lines kept under 80 columns for the Debian control file; the first line there is the summary.
set(CPACK_PACKAGE_DESCRIPTION [=[
Console programs that pack data for 8-bit machines (graphics, music,
levels, code) into compact LZ token streams, list such streams token by
token, and depack them:
 - KtbPack and KtaPack, optimal packers for the KTB and KTA formats;
 - KtuPack, an optimal packer for every pack model the lister reads,
   with a search for the model that gives the smallest stream;
 - KtuList, lister and depacker of KTA, KTB, ZX7, BLK and TS1 streams.
Z80 and 6502 depacker sources for the target machines are included.]=])
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_IGNORE_FILES "/build[^/]*/" "/\\\\.git/" "/out/")

if(WIN32)
  set(CPACK_GENERATOR ZIP)
else()
  set(CPACK_GENERATOR DEB)
endif()

# Debian names allow no underscore; the file name is Debian's own (name_version_arch.deb).
set(CPACK_DEBIAN_PACKAGE_NAME ktu-tools)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Depends is what the programs link (libc6, libstdc++6, libgcc-s1), found by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

include(CPack)
