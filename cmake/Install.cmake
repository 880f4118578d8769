# Installed layout, CMake package, pkg-config file and the Debian package.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(ardenta_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/QLX_Ardenta)
set(ardenta_data_dir ${CMAKE_INSTALL_DATADIR}/ardenta)

set_target_properties(QLX_Ardenta ardenta ardenta-listen PROPERTIES
    INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR};$ORIGIN")
set_target_properties(QLX_Ardenta PROPERTIES PUBLIC_HEADER
    "${PROJECT_SOURCE_DIR}/include/clsMain.h;${PROJECT_SOURCE_DIR}/include/IclsMain.h;${PROJECT_SOURCE_DIR}/include/LanguagePack.h;${PROJECT_SOURCE_DIR}/include/FontScheme.h")
target_include_directories(QLX_Ardenta PUBLIC
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/QLX_Ardenta>)

install(TARGETS QLX_Ardenta EXPORT QLX_ArdentaTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    PUBLIC_HEADER DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/QLX_Ardenta)
install(TARGETS ardenta ardenta-listen RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(EXPORT QLX_ArdentaTargets NAMESPACE QLX_Ardenta:: DESTINATION ${ardenta_cmake_dir})

configure_package_config_file(cmake/QLX_ArdentaConfig.cmake.in
    ${PROJECT_BINARY_DIR}/QLX_ArdentaConfig.cmake INSTALL_DESTINATION ${ardenta_cmake_dir})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/QLX_ArdentaConfigVersion.cmake
    COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/QLX_ArdentaConfig.cmake
              ${PROJECT_BINARY_DIR}/QLX_ArdentaConfigVersion.cmake
        DESTINATION ${ardenta_cmake_dir})
configure_file(cmake/QLX_Ardenta.pc.in ${PROJECT_BINARY_DIR}/QLX_Ardenta.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/QLX_Ardenta.pc
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

install(DIRECTORY resources/lang resources/schema DESTINATION ${ardenta_data_dir})
install(FILES resources/install/SystemConfig.ini.sample DESTINATION ${ardenta_data_dir})
install(FILES resources/install/ardenta.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES resources/install/ardenta.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES docs/man/ardenta.1 docs/man/ardenta-listen.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME qlx-ardenta)
set(CPACK_PACKAGE_VENDOR "QLX_Ardenta developers")
set(CPACK_PACKAGE_CONTACT "QLX_Ardenta developers <ardenta@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Internal information management module: staff directory and notice board")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "libqt6sql6-psql, libqt6sql6-odbc")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
