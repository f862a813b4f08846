# find_package(Velmora): the static libraries Velmora::framework,
# Velmora::entry, Velmora::display and Velmora::report, each bringing what
# it builds on (Qt, SQLite, CUPS, xcb) in link order, and the start-ups
# the linker must keep.
include(CMakeFindDependencyMacro)
find_dependency(Qt6 COMPONENTS Core Gui Widgets PrintSupport Sql)
find_dependency(SQLite3)
include("${CMAKE_CURRENT_LIST_DIR}/VelmoraTargets.cmake")
