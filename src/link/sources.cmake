target_sources(corvane_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/CommandCodec.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ConfigCodec.cpp)
target_sources(corvane_net PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/UdpSocket.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ClientSocket.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ServerSocket.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SocketLog.cpp)
