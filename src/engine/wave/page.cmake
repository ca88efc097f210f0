# The Wave page: the Qt side of the Wave engine.
target_sources(lirveto_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/wave_page_template.h ${CMAKE_CURRENT_LIST_DIR}/wave_page_template.cpp
  ${CMAKE_CURRENT_LIST_DIR}/wave_page.h ${CMAKE_CURRENT_LIST_DIR}/wave_page.cpp
  ${CMAKE_CURRENT_LIST_DIR}/wave_page_files.cpp)
target_link_libraries(lirveto_ui PUBLIC lirveto_wave_engine)
