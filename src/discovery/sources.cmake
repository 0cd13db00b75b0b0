# Sources of src/discovery: core (Qt-free) files go to corvane_core, Qt files to corvane_gui.
target_sources(corvane_gui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/SysInfoDlg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ConfirmDlg.cpp)
