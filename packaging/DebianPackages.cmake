# Debian packages, one per component.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME parlex)
set(CPACK_PACKAGE_VENDOR "Parlex")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Parlex developers <parlex@parlex.invalid>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL parlex simulator)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_DEBIAN_PARLEX_PACKAGE_NAME parlex)
set(CPACK_DEBIAN_PARLEX_PACKAGE_SECTION comm)
# Turkish texts on Qt's own buttons and dialogs; the system's CA store for
# HTTPS gateways.
set(CPACK_DEBIAN_PARLEX_PACKAGE_RECOMMENDS "qt6-translations-l10n, ca-certificates")
# CPack indents the lines after the first and marks empty ones.
set(CPACK_DEBIAN_PARLEX_DESCRIPTION "bulk SMS sender for small businesses
Parlex sends SMS in bulk through a remote XML-over-HTTP gateway: rows of a
data file as one package, a message template filled in per row, now or at
a chosen time; or, unattended, every file that lands in a watched folder.
Every package is checked against the account's credit, recorded in a local
database and later reported with the delivery state of each message.

This package holds the desktop program, parlex-cli (every job without a
window) and the parlex-watch user unit for automatic sending.")

set(CPACK_DEBIAN_SIMULATOR_PACKAGE_NAME parlex-gateway-sim)
set(CPACK_DEBIAN_SIMULATOR_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_SIMULATOR_DESCRIPTION "stand-in for the Parlex SMS gateway
parlex-gateway-sim answers the SMS gateway's XML requests on 127.0.0.1,
with accounts, credit, packages and message states kept in memory or in a
file, and faults to order, for demonstrations and tests of Parlex.")

include(CPack)
