# The Control Center, the first-use wizard and the About box: their rules in orvane_core,
# their windows in orvane_ui, the link opener in orvane_linux.
target_sources(orvane_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/../alarms/control_center_model.cpp
  ${CMAKE_CURRENT_LIST_DIR}/wizard_model.cpp
  ${CMAKE_CURRENT_LIST_DIR}/about_model.cpp
)
target_sources(orvane_linux PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/../platform/linux/desktop_link_opener.cpp
)
target_link_libraries(orvane_linux PUBLIC Qt6::Gui)
target_sources(orvane_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/../alarms/control_center_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/twip_layout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/wizard_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/about_window.cpp
)
# The version and the maker's addresses reach the About box only; a packager sets the
# addresses through ORVANE_MAKER_EMAIL and ORVANE_MAKER_WEB.
set_property(SOURCE ${CMAKE_CURRENT_LIST_DIR}/about_window.cpp APPEND PROPERTY COMPILE_DEFINITIONS
  ORVANE_ABOUT_VERSION="${PROJECT_VERSION}"
  ORVANE_ABOUT_EMAIL="${ORVANE_MAKER_EMAIL}"
  ORVANE_ABOUT_WEB="${ORVANE_MAKER_WEB}"
)
