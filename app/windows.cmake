# The Windows dialog program. Included by app/CMakeLists.txt when building
# for Windows.
enable_language(RC)

# The dialog, its message handler and the "Crear" command, as a library so
# that the dialog tests can run it inside their own process.
add_library(trevalda_dialog STATIC main_dialog.cpp)
target_include_directories(trevalda_dialog PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(trevalda_dialog PUBLIC trevalda_app trevalda_text user32 gdi32
                                      PRIVATE trevalda_warnings)

# The icon group 200 and the manifest that asks for common controls 6.
set(TREVALDA_RESOURCES ${CMAKE_CURRENT_SOURCE_DIR}/resources/trevalda.rc
    CACHE INTERNAL "Resource script of trevalda.exe")
set_source_files_properties(${TREVALDA_RESOURCES} PROPERTIES
  OBJECT_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/resources/trevalda.ico;${CMAKE_CURRENT_SOURCE_DIR}/resources/trevalda.manifest")

# trevalda.exe: GUI subsystem, no console.
add_executable(trevalda WIN32 win_main.cpp ${TREVALDA_RESOURCES})
trevalda_version_resource(trevalda trevalda "Trevalda: hojas de agenda de un día por página")
target_link_libraries(trevalda PRIVATE trevalda_dialog trevalda_warnings)
