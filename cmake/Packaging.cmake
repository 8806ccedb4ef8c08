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
# version; Debian's Qt names it by a virtual package that its core library provides: qt6-base-abi on Debian 12,
# qt6-base-private-abi from Debian 13 on. So a package is built for the release it is built on.
execute_process(COMMAND dpkg-query -W -f=\${Provides}\n libqt6core6 libqt6core6t64
    OUTPUT_VARIABLE qt_core_provides ERROR_QUIET)
string(REGEX MATCH "qt6-base(-private)?-abi \\(= [^)]+\\)" qt_abi "${qt_core_provides}")
if(NOT qt_abi)
    set(qt_abi "qt6-base-abi (= ${Qt6_VERSION})")
endif()
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${qt_abi}")
# Qt loads its Wayland platform as a plugin, which dpkg-shlibdeps cannot see; without it the program cannot
# start on a Wayland session that offers no X11. Without Qt's translations the menus of the text boxes are
# in English; the program works all the same.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, qt6-translations-l10n")

include(CPack)
