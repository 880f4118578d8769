# Installed layout, CMake package and pkg-config file; debian/ packages them.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(ardenta_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/QLX_Ardenta)
set(ardenta_data_dir ${CMAKE_INSTALL_DATADIR}/ardenta)

set_target_properties(QLX_Ardenta PROPERTIES PUBLIC_HEADER
    "${PROJECT_SOURCE_DIR}/include/clsMain.h;${PROJECT_SOURCE_DIR}/include/IclsMain.h;${PROJECT_SOURCE_DIR}/include/LanguagePack.h;${PROJECT_SOURCE_DIR}/include/FontScheme.h;${PROJECT_SOURCE_DIR}/include/ArdentaExport.h")
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

# The library is also a Qt plugin: hosts find it in Qt's plugin folder as
# ardenta/libQLX_Ardenta without the development link.
set(ardenta_plugin_dir ${CMAKE_INSTALL_LIBDIR}/qt6/plugins/ardenta)
install(CODE "
    file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${ardenta_plugin_dir}\")
    file(CREATE_LINK ../../../libQLX_Ardenta.so.${PROJECT_VERSION_MAJOR}
         \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${ardenta_plugin_dir}/libQLX_Ardenta.so\" SYMBOLIC)")

install(DIRECTORY resources/lang resources/schema DESTINATION ${ardenta_data_dir})
install(FILES resources/install/SystemConfig.ini.sample DESTINATION ${ardenta_data_dir})
install(FILES resources/install/ardenta.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES resources/install/ardenta.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES docs/man/ardenta.1 docs/man/ardenta-listen.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES resources/install/org.qlxardenta.ardenta.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
