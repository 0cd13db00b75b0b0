target_sources(corvane_gui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/RuvelApp.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RuvelDlg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PropSheet.cpp
    ${CMAKE_CURRENT_LIST_DIR}/AboutDlg.cpp)
