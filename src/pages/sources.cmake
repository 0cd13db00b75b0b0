# Sources of src/pages: the pages' checks and messages are Qt-free and go to corvane_core.
target_sources(corvane_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/ConfigChecks.cpp)
target_sources(corvane_gui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/ConfigPage.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PasswordPage.cpp
    ${CMAKE_CURRENT_LIST_DIR}/NetworkModePage.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SerialPage.cpp)
