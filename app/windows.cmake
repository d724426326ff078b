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

# trevalda-agenda.exe: the agenda dialog over the command line's parser and
# job (app/agenda_job.h), with its own resources.
set(TREVALDA_AGENDA_RESOURCES ${CMAKE_CURRENT_SOURCE_DIR}/resources/agenda.rc)
set_source_files_properties(${TREVALDA_AGENDA_RESOURCES} PROPERTIES
  OBJECT_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/resources/trevalda.ico;${CMAKE_CURRENT_SOURCE_DIR}/resources/agenda.manifest;${CMAKE_CURRENT_SOURCE_DIR}/resources/agenda_ids.h")
add_executable(trevalda_agenda_dialog WIN32 agenda_main.cpp agenda_dialog.cpp ${TREVALDA_AGENDA_RESOURCES})
set_target_properties(trevalda_agenda_dialog PROPERTIES OUTPUT_NAME trevalda-agenda)
trevalda_version_resource(trevalda_agenda_dialog trevalda-agenda
                          "Trevalda - Agenda: años de hojas de un día por página, con festivos y fechas propias")
target_link_libraries(trevalda_agenda_dialog PRIVATE trevalda_dialog trevalda_app trevalda_warnings
                      comctl32 comdlg32 shell32 ole32)
