# The DirectSound page: the Qt side of the DirectSound engine.
target_sources(lirveto_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/dsound_page_template.h ${CMAKE_CURRENT_LIST_DIR}/dsound_page_template.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dsound_page.h ${CMAKE_CURRENT_LIST_DIR}/dsound_page.cpp)
target_link_libraries(lirveto_ui PUBLIC lirveto_dsound_engine)
