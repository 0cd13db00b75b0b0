target_sources(corvane_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/IntField.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MultiFieldModel.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MacAddrModel.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TimeModel.cpp)
target_sources(corvane_gui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/MessageBox.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DataExchange.cpp
    ${CMAKE_CURRENT_LIST_DIR}/IPAddressField.cpp
    ${CMAKE_CURRENT_LIST_DIR}/GCColorEdit.cpp
    ${CMAKE_CURRENT_LIST_DIR}/GCMultiFieldEdit.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MacAddrEdit.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TimeEdit.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ColorStaticST.cpp)
