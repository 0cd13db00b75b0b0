# The Qt-free store sources are also compiled on their own, instrumented, by the fuzz targets.
set(CORVANE_STORE_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/FileDB.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RecordFDB.cpp
    ${CMAKE_CURRENT_LIST_DIR}/StoreText.cpp
    ${CMAKE_CURRENT_LIST_DIR}/AdvancedServerDB.cpp
    ${CMAKE_CURRENT_LIST_DIR}/BootPFDB.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MacHistoryFDB.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PwdFDB.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FileIdentity.cpp
    ${CMAKE_CURRENT_LIST_DIR}/StoreLock.cpp)
set_property(GLOBAL PROPERTY CORVANE_STORE_SOURCES ${CORVANE_STORE_SOURCES})
target_sources(corvane_core PRIVATE ${CORVANE_STORE_SOURCES})
target_sources(corvane_gui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/Profile.cpp
    ${CMAKE_CURRENT_LIST_DIR}/StoreHooks.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MacDBDlg.cpp)
