target_sources(corvane_gui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/MessageBox.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DataExchange.cpp
    ${CMAKE_CURRENT_LIST_DIR}/IPAddressField.cpp)
