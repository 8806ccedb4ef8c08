# Builds a Debian package of what cmake/Install.cmake installs: cpack --config build/CPackConfig.cmake.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vardelo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Vardelo")
set(CPACK_PACKAGE_CONTACT "Команда Vardelo <vardelo@users.noreply.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "collects every text copied to the clipboard into one document")
# Debian wants the long description in lines shorter than 80 characters.
set(CPACK_PACKAGE_DESCRIPTION [[
While Vardelo runs it watches the system clipboard. Every new piece of text
copied in any program is added to one running collection in its main window,
which can be printed, saved as a text file and cleared.
The program's texts are in Russian.]])
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps turns the libraries the program links into the Depends line, so it stays right when
# the Qt modules in use change.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The collection box reads Qt's text document through Qt's private headers, whose layout is that of one Qt
# version; Debian's Qt names it by this virtual package.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-base-abi (= ${Qt6_VERSION})")
# Qt loads its Wayland platform as a plugin, which dpkg-shlibdeps cannot see; without it the program cannot
# start on a Wayland session that offers no X11. Without Qt's translations the menus of the text boxes are
# in English; the program works all the same.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, qt6-translations-l10n")

include(CPack)
