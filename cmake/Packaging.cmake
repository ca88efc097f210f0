# `make package`: a Debian package of what `make install` installs. Its dependencies come from the
# shared libraries the programs link (dpkg-shlibdeps), so they follow whatever the build used.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lirveto)
set(CPACK_PACKAGE_VENDOR Quillhorn)
set(CPACK_PACKAGE_CONTACT "Quillhorn <support@${LIRVETO_MAKER_HOST}>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Mouse-played instrument")
set(CPACK_PACKAGE_DESCRIPTION
    "Play a continuous tone with the mouse: across sets the pitch, up and down the loudness.\n"
    "Records into WAV and Standard MIDI files; lirveto-render plays gestures offline.")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://${LIRVETO_MAKER_HOST}/")
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/package)
# The desktop entry names the program by its full path, so the package installs where the build
# was configured to (make package configures /usr).
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The built-in synthesizer's General MIDI sounds.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "timgm6mb-soundfont | fluid-soundfont-gm")
include(CPack)
