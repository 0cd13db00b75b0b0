# Sources of src/discovery: core (Qt-free) files go to corvane_core, Qt files to corvane_gui.
target_sources(corvane_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/MacParts.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FindTick.cpp)
target_sources(corvane_gui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/SysInfoDlg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ConfirmDlg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MacPartFields.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FindIPDlg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/NewClrIpDlg.cpp)
