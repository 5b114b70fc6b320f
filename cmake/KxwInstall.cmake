# What `cmake --install` puts under the prefix: the public headers (include/kxw/), the three shared libraries with
# versioned sonames, the player, the package files for find_package(KxwObjMgr) and pkg-config, and the run-time data.
include(CMakePackageConfigHelpers)

# The libraries' soname follows the project's major version: a program linked against one 0.x release runs with a
# later 0.x one.
set(KXW_SHARED_LIBRARIES KxwObjMgr KxwJsw KxwPlatform)
set_target_properties(${KXW_SHARED_LIBRARIES} PROPERTIES VERSION ${PROJECT_VERSION}
                                                         SOVERSION ${PROJECT_VERSION_MAJOR})

# Installed, the player finds the libraries beside its own folder and each library finds the others in its folder,
# wherever the prefix is moved; the build tree keeps its own RPATH (build/lib) for the tests.
file(RELATIVE_PATH kxw_bin_to_lib ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})
set_target_properties(kxwplay PROPERTIES INSTALL_RPATH "$ORIGIN/${kxw_bin_to_lib}")
set_target_properties(${KXW_SHARED_LIBRARIES} PROPERTIES INSTALL_RPATH "$ORIGIN")

set(KXW_CMAKE_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/KxwObjMgr)
install(TARGETS ${KXW_SHARED_LIBRARIES} EXPORT KxwObjMgrTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(TARGETS kxwplay RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/kxw DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
        FILES_MATCHING PATTERN "*.h")

# find_package(KxwObjMgr): the target KxwObjMgr::KxwObjMgr brings the public headers and the two libraries under it.
install(EXPORT KxwObjMgrTargets NAMESPACE KxwObjMgr:: DESTINATION ${KXW_CMAKE_PACKAGE_DIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/KxwObjMgrConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/KxwObjMgrConfig.cmake INSTALL_DESTINATION ${KXW_CMAKE_PACKAGE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/KxwObjMgrConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/KxwObjMgrConfig.cmake ${PROJECT_BINARY_DIR}/KxwObjMgrConfigVersion.cmake
        DESTINATION ${KXW_CMAKE_PACKAGE_DIR})

# pkg-config --cflags --libs kxwobjmgr. The prefix is found from the .pc file's own folder, so that an installation
# under another --prefix than the configured one, or moved afterwards, still points at itself.
set(KXW_PKGCONFIG_DIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
if(IS_ABSOLUTE ${KXW_PKGCONFIG_DIR})
    set(KXW_PC_PREFIX ${CMAKE_INSTALL_PREFIX})
else()
    file(RELATIVE_PATH kxw_pc_to_prefix ${CMAKE_INSTALL_PREFIX}/${KXW_PKGCONFIG_DIR} ${CMAKE_INSTALL_PREFIX})
    string(REGEX REPLACE "/$" "" kxw_pc_to_prefix "${kxw_pc_to_prefix}")
    set(KXW_PC_PREFIX "\${pcfiledir}/${kxw_pc_to_prefix}")
endif()
foreach(dir INCLUDEDIR LIBDIR)
    if(IS_ABSOLUTE ${CMAKE_INSTALL_${dir}})
        set(KXW_PC_${dir} ${CMAKE_INSTALL_${dir}})
    else()
        set(KXW_PC_${dir} "\${prefix}/${CMAKE_INSTALL_${dir}}")
    endif()
endforeach()
configure_file(${CMAKE_CURRENT_LIST_DIR}/kxwobjmgr.pc.in ${PROJECT_BINARY_DIR}/kxwobjmgr.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/kxwobjmgr.pc DESTINATION ${KXW_PKGCONFIG_DIR})

# The files the library reads at run time (data/ at the top of the source tree, when there is one). The glob is
# checked at every build, so that a data/ folder that appears, or goes, configures the installation anew.
file(GLOB kxw_data_folder CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/data)
if(EXISTS ${PROJECT_SOURCE_DIR}/data)
    install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/ DESTINATION ${CMAKE_INSTALL_DATADIR}/kxwobjmgr)
endif()
