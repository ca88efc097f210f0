# The Midi page: the Qt side of the MIDI engine.
target_sources(lirveto_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/midi_page_template.h ${CMAKE_CURRENT_LIST_DIR}/midi_page_template.cpp
  ${CMAKE_CURRENT_LIST_DIR}/midi_page.h ${CMAKE_CURRENT_LIST_DIR}/midi_page.cpp
  ${CMAKE_CURRENT_LIST_DIR}/midi_page_files.cpp)
target_link_libraries(lirveto_ui PUBLIC lirveto_midi_engine)
