# Widget code lives in each subsystem's widgets/ folder and goes into zorvane_gui;
# everything else in a subsystem folder is core and must not include a widget header.
set(ZORVANE_SUBSYSTEMS app data contacts categories reminders shared cards interchange duplicates sync
    scan)
set(ZORVANE_CORE_SOURCES)
set(ZORVANE_GUI_SOURCES)
foreach(subsystem ${ZORVANE_SUBSYSTEMS})
    file(GLOB core CONFIGURE_DEPENDS
        ${CMAKE_SOURCE_DIR}/src/${subsystem}/*.cpp ${CMAKE_SOURCE_DIR}/src/${subsystem}/*.h)
    file(GLOB gui CONFIGURE_DEPENDS
        ${CMAKE_SOURCE_DIR}/src/${subsystem}/widgets/*.cpp
        ${CMAKE_SOURCE_DIR}/src/${subsystem}/widgets/*.h)
    list(APPEND ZORVANE_CORE_SOURCES ${core})
    list(APPEND ZORVANE_GUI_SOURCES ${gui})
endforeach()
file(GLOB ZORVANE_BENCH_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/*.cpp
    ${CMAKE_SOURCE_DIR}/bench/*.h)
list(REMOVE_ITEM ZORVANE_BENCH_SOURCES ${CMAKE_SOURCE_DIR}/bench/main.cpp)
