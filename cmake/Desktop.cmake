# What makes Zorvane a desktop program: its icon (drawn once as SVG, rendered to PNG sizes at
# build time), the window icon compiled into the program, and the install rules.
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
set(ZORVANE_APP_ID com.zorvane.Zorvane)
set(ZORVANE_DESKTOP_DIR ${CMAKE_SOURCE_DIR}/resources/desktop)
set(ZORVANE_ICON_SVG ${ZORVANE_DESKTOP_DIR}/zorvane.svg)
set(ZORVANE_ICON_DIR ${CMAKE_BINARY_DIR}/icons)
set(ZORVANE_ICON_PNGS)
foreach(size 16 24 32 48 64 128 256)
    set(png ${ZORVANE_ICON_DIR}/${size}x${size}/zorvane.png)
    add_custom_command(OUTPUT ${png}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${ZORVANE_ICON_DIR}/${size}x${size}
        COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${ZORVANE_ICON_SVG}
        DEPENDS ${ZORVANE_ICON_SVG}
        COMMENT "Rendering the ${size}x${size} icon")
    list(APPEND ZORVANE_ICON_PNGS ${png})
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
qt_add_resources(zorvane_gui zorvane_icons PREFIX /icons BASE ${ZORVANE_ICON_DIR}
    FILES ${ZORVANE_ICON_PNGS})

configure_file(${ZORVANE_DESKTOP_DIR}/${ZORVANE_APP_ID}.metainfo.xml
    ${CMAKE_BINARY_DIR}/${ZORVANE_APP_ID}.metainfo.xml @ONLY)

install(TARGETS zorvane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/Maindat.dat ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/readme.txt
    DESTINATION ${CMAKE_INSTALL_DATADIR}/zorvane)
install(FILES ${ZORVANE_ICON_SVG} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${ZORVANE_DESKTOP_DIR}/${ZORVANE_APP_ID}.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_BINARY_DIR}/${ZORVANE_APP_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
