target_sources(corvane_gui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/Profile.cpp
    ${CMAKE_CURRENT_LIST_DIR}/StoreHooks.cpp)
