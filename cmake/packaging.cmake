# What cmake --install puts beside the programs (the documents; the depackers install their
# sources themselves) and the packages cpack makes of it: a Debian package, and a zip for
# Windows builds.

install(FILES README.md LICENSE CHANGELOG.md DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VENDOR "The KTU tools authors")
set(CPACK_PACKAGE_CONTACT "The KTU tools authors")
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
