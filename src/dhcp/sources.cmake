# Sources of src/dhcp: the server's packet logic and its tables are Qt-free and go to corvane_core;
# the server's address look-up and its request handling go to corvane_net.
target_sources(corvane_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/DhcpEngine.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ServerTables.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ClientChecks.cpp)
target_sources(corvane_net PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/HostAddress.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DhcpResponder.cpp)
target_sources(corvane_gui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/IPPage.cpp
    ${CMAKE_CURRENT_LIST_DIR}/BootpEditDlg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/AdvancedServerSetDlg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/IPInputDlg.cpp)
