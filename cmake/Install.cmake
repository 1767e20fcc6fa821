# The component library as an installed package: `cmake --install` puts the headers under
# include/korvel/ (keeping their paths from the repository root, so "components/KorvelRM.h"
# reads the same outside), the libraries under lib/, an exported CMake package
# (find_package(Korvel) gives Korvel::render, Korvel::components, Korvel::framework, ...) and
# the pkg-config file korvel.pc.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(KOR_INSTALLED_LIBRARIES
    kor_scene kor_model kor_anim
    kor_com kor_display kor_image kor_gdi kor_ddraw kor_raster kor_d3d kor_d3drm
    kor_framework kor_framework_headless kor_components kor_render)
set(KOR_HAS_DESKTOP FALSE)
if(TARGET kor_framework_desktop)
  list(APPEND KOR_INSTALLED_LIBRARIES kor_framework_desktop kor_imgui_sdlrenderer)
  set(KOR_HAS_DESKTOP TRUE)
endif()

set(KOR_INCLUDE_DIR ${CMAKE_INSTALL_INCLUDEDIR}/korvel)
foreach(target IN LISTS KOR_INSTALLED_LIBRARIES)
  string(REGEX REPLACE "^kor_" "" name ${target})
  set_target_properties(${target} PROPERTIES EXPORT_NAME ${name})
  target_include_directories(${target} INTERFACE $<INSTALL_INTERFACE:${KOR_INCLUDE_DIR}>)
endforeach()
# The rasteriser names the source tree as its include directory; inside the build the root
# include path of every target already covers it, outside it is include/korvel.
set_property(TARGET kor_raster PROPERTY INTERFACE_INCLUDE_DIRECTORIES
             $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}> $<INSTALL_INTERFACE:${KOR_INCLUDE_DIR}>)

install(TARGETS ${KOR_INSTALLED_LIBRARIES} EXPORT KorvelTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
foreach(folder scene model anim platform framework components render)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/${folder}/ DESTINATION ${KOR_INCLUDE_DIR}/${folder}
          FILES_MATCHING PATTERN "*.h")
endforeach()

set(KOR_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Korvel)
install(EXPORT KorvelTargets NAMESPACE Korvel:: DESTINATION ${KOR_CMAKE_DIR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/KorvelConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/KorvelConfig.cmake
                              INSTALL_DESTINATION ${KOR_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/KorvelConfigVersion.cmake
                                 VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/KorvelConfig.cmake
              ${PROJECT_BINARY_DIR}/KorvelConfigVersion.cmake
        DESTINATION ${KOR_CMAKE_DIR})

# The prefix is found from the .pc file's own place, so `cmake --install --prefix` works.
file(RELATIVE_PATH KOR_PC_TO_PREFIX /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
configure_file(${PROJECT_SOURCE_DIR}/cmake/korvel.pc.in ${PROJECT_BINARY_DIR}/korvel.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/korvel.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
