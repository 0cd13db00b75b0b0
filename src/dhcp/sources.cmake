# Sources of src/dhcp: the server's packet logic and its tables are Qt-free and go to corvane_core.
target_sources(corvane_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/DhcpEngine.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ServerTables.cpp)
target_sources(corvane_gui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/HostAddress.cpp
    ${CMAKE_CURRENT_LIST_DIR}/IPPage.cpp
    ${CMAKE_CURRENT_LIST_DIR}/BootpEditDlg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/AdvancedServerSetDlg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/IPInputDlg.cpp)
