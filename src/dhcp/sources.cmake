target_sources(corvane_gui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/IPPage.cpp)
