# A Debian package through CPack: `cpack -G DEB` in the build tree.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kva271-config)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "tým kva271-config")
set(CPACK_PACKAGE_CONTACT "tým kva271-config <kva271-config@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Configuration tool for the KVA271 GSM alarm")
set(CPACK_PACKAGE_DESCRIPTION
  "Sets the options, times, phone numbers and SMS texts of the KVA271 GSM alarm and writes them\n\
to the SIM card of a mobile phone on a serial port, or shows the two numbers to type into the\n\
phone by hand. The user interface is in Czech.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://example.org/kva271-config")
# dpkg-shlibdeps derives the Qt 6 and libjpeg package dependencies from the executable.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
