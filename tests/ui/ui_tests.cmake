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

# The tray on the panels people run, each a real desktop inside Xvfb: its icon, the menu the
# panel draws, the left click; for two of them the panel starts after the program. Two desktops
# at a time at most, beside the rest of the suite, and never GNOME Shell and Plasma together:
# each takes a core of its own while it starts.
foreach(desktop xfce lxqt gnome sway plasma)
  add_test(NAME e2e.desktop_${desktop}
    COMMAND ${CMAKE_SOURCE_DIR}/tests/e2e/tray_on_desktop.sh ${desktop} $<TARGET_FILE:orvane>)
  list(APPEND desktop_tests e2e.desktop_${desktop})
endforeach()
foreach(desktop xfce sway)
  add_test(NAME e2e.desktop_${desktop}_panel_late
    COMMAND ${CMAKE_SOURCE_DIR}/tests/e2e/tray_on_desktop.sh ${desktop} --panel-late $<TARGET_FILE:orvane>)
  list(APPEND desktop_tests e2e.desktop_${desktop}_panel_late)
endforeach()
# The places stored are where the windows stand, under the window managers that place them.
foreach(desktop gnome plasma lxqt sway)
  add_test(NAME e2e.places_kept_${desktop}
    COMMAND ${CMAKE_SOURCE_DIR}/tests/e2e/places_kept.sh ${desktop} $<TARGET_FILE:orvane>)
  list(APPEND desktop_tests e2e.places_kept_${desktop})
endforeach()
set_tests_properties(${desktop_tests} PROPERTIES LABELS "e2e;desktop" TIMEOUT 300 SKIP_RETURN_CODE 77)
foreach(test IN LISTS desktop_tests)
  if(test MATCHES "gnome|plasma")
    set_tests_properties(${test} PROPERTIES RESOURCE_LOCK desktop_shell)
  else()
    set_tests_properties(${test} PROPERTIES RESOURCE_LOCK desktop_panel)
  endif()
endforeach()

# Clicks on an XEmbed icon count on release, under a window manager.
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
# An XEmbed tray that comes after the program and goes again.
add_test(NAME e2e.xembed_tray_comes_and_goes
  COMMAND ${CMAKE_SOURCE_DIR}/tests/run-with-upower-mock.sh --x11 --
          ${CMAKE_SOURCE_DIR}/tests/e2e/xembed_tray_comes_and_goes.sh $<TARGET_FILE:orvane>)
# The menu and About's links by keyboard, and About's links as a screen reader finds them.
add_test(NAME e2e.keyboard_menu_and_links
  COMMAND ${CMAKE_SOURCE_DIR}/tests/run-with-upower-mock.sh --x11 --
          ${CMAKE_SOURCE_DIR}/tests/e2e/keyboard_menu_and_links.sh $<TARGET_FILE:orvane>)
set_tests_properties(e2e.keyboard_menu_and_links e2e.xembed_tray_comes_and_goes e2e.tray_clicks_on_release e2e.on_top_from_compact
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

# The tray item and its exported menu as a host reads them, over a private session bus.
add_executable(tray_item_tests ui/test_tray_item.cpp)
set_target_properties(tray_item_tests PROPERTIES AUTOMOC ON)
target_link_libraries(tray_item_tests PRIVATE orvane_ui orvane_linux orvane_fakes Qt6::Test)
add_test(NAME ui.tray_item
  COMMAND ${CMAKE_SOURCE_DIR}/tests/run-with-upower-mock.sh --no-upower -- $<TARGET_FILE:tray_item_tests>)
set_tests_properties(ui.tray_item PROPERTIES SKIP_RETURN_CODE 77 LABELS "ui;dbus" TIMEOUT 120
  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_LOGGING_RULES=qt.qpa.*=false")
# The low-battery message in front of an on-top window of ours, under a window manager.
add_test(NAME e2e.alarm_box_in_front_of_main
  COMMAND ${CMAKE_SOURCE_DIR}/tests/run-with-upower-mock.sh --x11 --battery 85:7530 --
          ${CMAKE_SOURCE_DIR}/tests/e2e/alarm_box_in_front.sh $<TARGET_FILE:orvane>)
add_test(NAME e2e.alarm_box_in_front_of_compact
  COMMAND ${CMAKE_SOURCE_DIR}/tests/run-with-upower-mock.sh --x11 --battery 85:7530 --
          ${CMAKE_SOURCE_DIR}/tests/e2e/alarm_box_in_front.sh --compact $<TARGET_FILE:orvane>)
set_tests_properties(e2e.alarm_box_in_front_of_main e2e.alarm_box_in_front_of_compact PROPERTIES
                     SKIP_RETURN_CODE 77 LABELS "e2e;dbus;x11" TIMEOUT 120)
