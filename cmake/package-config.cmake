# Read by CPack for each package it makes: tells the install scripts in
# cmake/install.cmake that they stage a package, and for which folder.
set(ENV{MERIVEX_PACKAGE_PREFIX} "${CPACK_PACKAGING_INSTALL_PREFIX}")
