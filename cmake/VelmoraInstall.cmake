# cmake --install: the four libraries, their headers in include/velmora and
# the CMake package (find_package(Velmora), targets Velmora::<library>).
set(velmora_libraries framework entry display report)
install(TARGETS ${velmora_libraries} EXPORT VelmoraTargets ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
foreach(library IN LISTS velmora_libraries)
  file(GLOB headers CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${library}/*.h)
  list(FILTER headers EXCLUDE REGEX "/Pch\\.h$")
  install(FILES ${headers} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/velmora)
endforeach()
set(velmora_package_dir ${CMAKE_INSTALL_LIBDIR}/cmake/Velmora)
install(EXPORT VelmoraTargets NAMESPACE Velmora:: DESTINATION ${velmora_package_dir})
install(FILES ${PROJECT_SOURCE_DIR}/cmake/VelmoraConfig.cmake DESTINATION ${velmora_package_dir})
