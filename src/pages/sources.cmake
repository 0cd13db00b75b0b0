target_sources(corvane_gui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/PasswordPage.cpp
    ${CMAKE_CURRENT_LIST_DIR}/NetworkModePage.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SerialPage.cpp)
