# The Debian package: `cpack -G DEB` in the build folder gives
# oxeln_<version>_<arch>.deb with everything `cmake --install` puts in place,
# the executables stripped.
set(OXELN_MAINTAINER "Oxeln <contact@oxeln.fr>" CACHE STRING "Maintainer field of the Debian package")

set(CPACK_PACKAGE_NAME oxeln)
set(CPACK_PACKAGE_VENDOR Oxeln)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${OXELN_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "worksheets on signed integers, with their answer key")
set(CPACK_PACKAGE_DESCRIPTION
"Oxeln composes worksheets of mental arithmetic on signed integers for maths
teachers. One click draws a set of questions (additions, subtractions,
multiplications, powers, divisions, or chains of eight numbers) and writes
the subject together with its answer key, every result highlighted in
yellow. Both documents can be edited, previewed, printed in several copies
and saved as RTF, PDF or OpenDocument; their questions can be projected in
the classroom, given to pupils as a web page that corrects itself, or
imported into Moodle as a GIFT quiz. oxeln-compose makes the same worksheets
from the command line, in several versions if asked, in all these formats, as
plain text or in the worksheet's own markup.

The interface is in French. Licence: GNU GPL version 3 or later.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${OXELN_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${PROJECT_HOMEPAGE_URL})
# Qt and the C++ run-time come from dpkg-shlibdeps; the fonts keep the
# columns aligned and the translation gives the standard dialogs in French.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "cups")

set(CPACK_GENERATOR DEB)
include(CPack)
