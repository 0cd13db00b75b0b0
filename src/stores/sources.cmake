target_sources(corvane_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/FileDB.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RecordFDB.cpp
    ${CMAKE_CURRENT_LIST_DIR}/StoreText.cpp
    ${CMAKE_CURRENT_LIST_DIR}/AdvancedServerDB.cpp
    ${CMAKE_CURRENT_LIST_DIR}/BootPFDB.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MacHistoryFDB.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PwdFDB.cpp)
target_sources(corvane_gui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/Profile.cpp
    ${CMAKE_CURRENT_LIST_DIR}/StoreHooks.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MacDBDlg.cpp)
