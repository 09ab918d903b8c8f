# Real windows under Qt's offscreen platform, with scripted message boxes.
add_executable(ui_tests ui/test_app_host.cpp)
set_target_properties(ui_tests PROPERTIES AUTOMOC ON)
target_link_libraries(ui_tests PRIVATE orvane_ui orvane_linux orvane_fakes Qt6::Test)
add_test(NAME ui.app_host COMMAND ui_tests)
set_tests_properties(ui.app_host PROPERTIES SKIP_RETURN_CODE 77
  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_LOGGING_RULES=qt.qpa.*=false"
  LABELS "ui" TIMEOUT 120)

# The real program as a separate process, against a mocked UPower on a private bus.
add_test(NAME e2e.sigterm_saves_settings
  COMMAND ${CMAKE_SOURCE_DIR}/tests/run-with-upower-mock.sh --battery 85:7530 --
          ${CMAKE_SOURCE_DIR}/tests/e2e/sigterm_saves_settings.sh $<TARGET_FILE:orvane>)
set_tests_properties(e2e.sigterm_saves_settings PROPERTIES SKIP_RETURN_CODE 77 LABELS "e2e;dbus" TIMEOUT 90)

add_test(NAME e2e.discharge_learns_and_alarms
  COMMAND ${CMAKE_SOURCE_DIR}/tests/run-with-upower-mock.sh --x11 --battery 85:7530 --
          ${CMAKE_SOURCE_DIR}/tests/e2e/discharge_learns_and_alarms.sh $<TARGET_FILE:orvane>)
set_tests_properties(e2e.discharge_learns_and_alarms PROPERTIES SKIP_RETURN_CODE 77 LABELS "e2e;dbus;x11" TIMEOUT 120)

add_executable(mode_tests ui/test_modes_and_tray.cpp)
set_target_properties(mode_tests PROPERTIES AUTOMOC ON)
target_link_libraries(mode_tests PRIVATE orvane_ui orvane_linux orvane_fakes Qt6::Test)
add_test(NAME ui.modes_and_tray COMMAND mode_tests)
set_tests_properties(ui.modes_and_tray PROPERTIES SKIP_RETURN_CODE 77
  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_LOGGING_RULES=qt.qpa.*=false"
  LABELS "ui" TIMEOUT 120)

add_test(NAME e2e.tray_menu_compact
  COMMAND ${CMAKE_SOURCE_DIR}/tests/run-with-upower-mock.sh --x11 --battery 85:7530 --
          ${CMAKE_SOURCE_DIR}/tests/e2e/tray_menu_compact.sh $<TARGET_FILE:orvane>)
set_tests_properties(e2e.tray_menu_compact PROPERTIES SKIP_RETURN_CODE 77 LABELS "e2e;x11" TIMEOUT 90)

add_test(NAME e2e.first_run_keyboard
  COMMAND ${CMAKE_SOURCE_DIR}/tests/run-with-upower-mock.sh --x11 --battery 85:0 --
          ${CMAKE_SOURCE_DIR}/tests/e2e/first_run_keyboard.sh $<TARGET_FILE:orvane>)
set_tests_properties(e2e.first_run_keyboard PROPERTIES SKIP_RETURN_CODE 77 LABELS "e2e;x11" TIMEOUT 90)

add_test(NAME e2e.compact_drag_and_exit
  COMMAND ${CMAKE_SOURCE_DIR}/tests/run-with-upower-mock.sh --x11 --
          ${CMAKE_SOURCE_DIR}/tests/e2e/compact_drag_and_exit.sh $<TARGET_FILE:orvane>)
add_test(NAME e2e.compact_exit_with_window_manager
  COMMAND ${CMAKE_SOURCE_DIR}/tests/run-with-upower-mock.sh --x11 --
          ${CMAKE_SOURCE_DIR}/tests/e2e/compact_drag_and_exit.sh --wm $<TARGET_FILE:orvane>)
set_tests_properties(e2e.compact_drag_and_exit e2e.compact_exit_with_window_manager PROPERTIES
  LABELS "e2e;x11" TIMEOUT 90 SKIP_RETURN_CODE 77)

# Ended with no shutdown of its own: every window setting was stored when it changed.
foreach(how kill x-server)
  add_test(NAME e2e.abrupt_end_${how}
    COMMAND ${CMAKE_SOURCE_DIR}/tests/run-with-upower-mock.sh --x11 --
            ${CMAKE_SOURCE_DIR}/tests/e2e/abrupt_end_keeps_settings.sh --${how} $<TARGET_FILE:orvane>)
  set_tests_properties(e2e.abrupt_end_${how} PROPERTIES LABELS "e2e;x11" TIMEOUT 90 SKIP_RETURN_CODE 77)
endforeach()

# The tray icon as people meet it: a StatusNotifierItem host of our own, and clicks on an XEmbed
# icon that count on release; both under a window manager.
add_test(NAME e2e.tray_status_notifier_item
  COMMAND ${CMAKE_SOURCE_DIR}/tests/run-with-upower-mock.sh --x11 --battery 85:7530 --
          ${CMAKE_SOURCE_DIR}/tests/e2e/tray_sni.sh $<TARGET_FILE:orvane>)
add_test(NAME e2e.tray_clicks_on_release
  COMMAND ${CMAKE_SOURCE_DIR}/tests/run-with-upower-mock.sh --x11 --battery 85:7530 --
          ${CMAKE_SOURCE_DIR}/tests/e2e/tray_clicks_xembed.sh $<TARGET_FILE:orvane>)
# Always On Top stored and the main window hidden at start: Full shows it at its place.
add_test(NAME e2e.on_top_from_compact
  COMMAND ${CMAKE_SOURCE_DIR}/tests/run-with-upower-mock.sh --x11 --
          ${CMAKE_SOURCE_DIR}/tests/e2e/on_top_hidden_start.sh $<TARGET_FILE:orvane>)
add_test(NAME e2e.on_top_from_minimize
  COMMAND ${CMAKE_SOURCE_DIR}/tests/run-with-upower-mock.sh --x11 --
          ${CMAKE_SOURCE_DIR}/tests/e2e/on_top_hidden_start.sh --minimize $<TARGET_FILE:orvane>)
# The desktop's handler for the web page cannot start.
add_test(NAME e2e.link_handler_fails
  COMMAND ${CMAKE_SOURCE_DIR}/tests/run-with-upower-mock.sh --x11 --
          ${CMAKE_SOURCE_DIR}/tests/e2e/link_handler_fails.sh $<TARGET_FILE:orvane>)
set_tests_properties(e2e.tray_status_notifier_item e2e.tray_clicks_on_release e2e.on_top_from_compact
  e2e.on_top_from_minimize e2e.link_handler_fails PROPERTIES
  LABELS "e2e;x11" TIMEOUT 90 SKIP_RETURN_CODE 77 ENVIRONMENT "ORVANE_MAKER_WEB=${ORVANE_MAKER_WEB}")

# A Wayland session: weston with XWayland, driven by a real pointer.
add_test(NAME e2e.wayland_session
  COMMAND ${CMAKE_SOURCE_DIR}/tests/run-with-upower-mock.sh --
          ${CMAKE_SOURCE_DIR}/tests/e2e/wayland_session.sh $<TARGET_FILE:orvane>)
set_tests_properties(e2e.wayland_session PROPERTIES LABELS "e2e;wayland" TIMEOUT 120 SKIP_RETURN_CODE 77)

# The start-with-the-desktop item as an ordinary user, through the user's own autostart entry.
add_test(NAME e2e.autostart_as_user
  COMMAND ${CMAKE_SOURCE_DIR}/tests/run-with-upower-mock.sh --x11 --
          ${CMAKE_SOURCE_DIR}/tests/e2e/autostart_as_user.sh $<TARGET_FILE:orvane>)
set_tests_properties(e2e.autostart_as_user PROPERTIES LABELS "e2e;x11" TIMEOUT 90 SKIP_RETURN_CODE 77)

# Debian's real upowerd over a fake battery (umockdev), not the mock.
add_test(NAME e2e.real_upowerd
  COMMAND ${CMAKE_SOURCE_DIR}/tests/e2e/real_upowerd.sh $<TARGET_FILE:orvane>)
set_tests_properties(e2e.real_upowerd PROPERTIES LABELS "e2e;dbus" TIMEOUT 90 SKIP_RETURN_CODE 77)
