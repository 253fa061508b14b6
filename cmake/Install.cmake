# Installing: `cmake --install build --prefix P` lays out a desktop program under P, and
# `cpack -G DEB` in the build folder wraps the same tree in a Debian package.

include(GNUInstallDirs)

# An installed copy finds its help page from its own folder, wherever the prefix puts it.
file(RELATIVE_PATH TAGLOOM_BIN_TO_DATA
     "${CMAKE_INSTALL_FULL_BINDIR}" "${CMAKE_INSTALL_FULL_DATADIR}/tagloom")
target_compile_definitions(tagloom_host PRIVATE TAGLOOM_BIN_TO_DATA="${TAGLOOM_BIN_TO_DATA}")

set(_res ${PROJECT_SOURCE_DIR}/resources)
install(TARGETS tagloom RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${_res}/help.html ${_res}/tagloom.svg ${_res}/tagloom.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/tagloom)
install(FILES ${_res}/tagloom.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${_res}/tagloom.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${_res}/tagloom.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/48x48/apps)
# The metainfo's release is the project() version, the one the program and the package carry.
set(TAGLOOM_METAINFO ${CMAKE_BINARY_DIR}/org.tagloom.Tagloom.metainfo.xml)
configure_file(${_res}/org.tagloom.Tagloom.metainfo.xml.in ${TAGLOOM_METAINFO} @ONLY)
install(FILES ${TAGLOOM_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tagloom)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "HTML source editor with a live preview and a Japanese interface")
set(CPACK_PACKAGE_DESCRIPTION
    "Type HTML on the left, watch the page in a real browser pane on the right, insert tags\nfrom menus, the toolbar and your own tag registry.")
set(CPACK_PACKAGE_CONTACT "Tagloom developers <tagloom@localhost>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION editors)
# The libraries the program links (and the browser's helper process) come from dpkg-shlibdeps;
# what it loads by name at run time is listed here: Qt's X11 platform plugin, Qt's Japanese
# texts and a font with Japanese glyphs.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-qpa-plugins, qt6-translations-l10n, fonts-ipafont-gothic | fonts-noto-cjk")
include(CPack)
