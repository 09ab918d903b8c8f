# Widget tests: real windows under Qt's offscreen platform, with scripted message boxes.
function(widget_tests target source)
  add_executable(${target} ui/${source})
  set_target_properties(${target} PROPERTIES AUTOMOC ON)
  target_link_libraries(${target} PRIVATE orvane_ui orvane_linux orvane_fakes Qt6::Test)
endfunction()
widget_tests(ui_tests shell/test_app_host.cpp)
widget_tests(tray_item_tests desktop/test_tray_item.cpp)
widget_tests(layout_memory_tests common/test_layout_memory.cpp)
orvane_test(ui.app_host COMMAND ui_tests OFFSCREEN LABELS ui TIMEOUT 120)
orvane_test(ui.layout_memory COMMAND layout_memory_tests OFFSCREEN LABELS ui)
# The tray item and its exported menu as a host reads them, over a private session bus.
orvane_test(ui.tray_item OFFSCREEN LABELS ui dbus TIMEOUT 120
  COMMAND ${mock_run} --no-upower -- $<TARGET_FILE:tray_item_tests>)

# The real program as a separate process, mostly against a mocked UPower on a private bus
# (tests/run-with-upower-mock.sh, --x11: under Xvfb, with an XEmbed tray), driven as a person
# would. e2e(NAME "LABELS" COMMAND...): the program's path follows the command. The desktops
# (label desktop) run two at a time at most, beside the rest of the suite, and never GNOME Shell
# and Plasma together: each takes a core of its own while it starts.
set(e2e ${CMAKE_CURRENT_SOURCE_DIR}/e2e)
function(e2e name labels)
  set(more TIMEOUT 120)
  if(name MATCHES "gnome|plasma")
    set(more TIMEOUT 300 PROPERTIES RESOURCE_LOCK desktop_shell)
  elseif(labels STREQUAL "desktop")
    set(more TIMEOUT 300 PROPERTIES RESOURCE_LOCK desktop_panel)
  endif()
  orvane_test(e2e.${name} LABELS e2e ${labels} ${more} ENVIRONMENT "ORVANE_MAKER_WEB=${ORVANE_MAKER_WEB}"
    COMMAND ${ARGN} $<TARGET_FILE:orvane>)
endfunction()
set(x11 ${mock_run} --x11 --)
e2e(sigterm_saves_settings dbus ${mock_run} -- ${e2e}/sigterm_saves_settings.sh)
e2e(discharge_learns_and_alarms "dbus;x11" ${x11} ${e2e}/discharge_learns_and_alarms.sh)
e2e(tray_menu_compact x11 ${x11} ${e2e}/tray_menu_compact.sh)
e2e(first_run_keyboard x11 ${mock_run} --x11 --battery 85:0 -- ${e2e}/first_run_keyboard.sh)
# The compact panel dragged and exited by mouse, with and without a window manager.
e2e(compact_drag_and_exit x11 ${x11} ${e2e}/compact_drag_and_exit.sh)
e2e(compact_exit_with_window_manager x11 ${x11} ${e2e}/compact_drag_and_exit.sh --wm)
# Ended with no shutdown of its own: every window setting was stored when it changed.
foreach(how kill x-server)
  e2e(abrupt_end_${how} x11 ${x11} ${e2e}/abrupt_end_keeps_settings.sh --${how})
endforeach()
# Clicks on an XEmbed icon count on release.
e2e(tray_clicks_on_release x11 ${x11} ${e2e}/tray_clicks_xembed.sh)
# Always On Top stored and the main window hidden at start: Full shows it at its place.
e2e(on_top_from_compact x11 ${x11} ${e2e}/on_top_hidden_start.sh)
e2e(on_top_from_minimize x11 ${x11} ${e2e}/on_top_hidden_start.sh --minimize)
# The desktop's handler for the web page cannot start.
e2e(link_handler_fails x11 ${x11} ${e2e}/link_handler_fails.sh)
# An XEmbed tray that comes after the program and goes again.
e2e(xembed_tray_comes_and_goes x11 ${x11} ${e2e}/xembed_tray_comes_and_goes.sh)
# The menu and About's links by keyboard, and About's links as a screen reader finds them.
e2e(keyboard_menu_and_links x11 ${x11} ${e2e}/keyboard_menu_and_links.sh)
# The start-with-the-desktop item as an ordinary user, through the user's own autostart entry.
e2e(autostart_as_user x11 ${x11} ${e2e}/autostart_as_user.sh)
# The low-battery message in front of an on-top window of ours, under a window manager.
e2e(alarm_box_in_front_of_main "dbus;x11" ${x11} ${e2e}/alarm_box_in_front.sh)
e2e(alarm_box_in_front_of_compact "dbus;x11" ${x11} ${e2e}/alarm_box_in_front.sh --compact)
# A Wayland session: weston with XWayland, driven by a real pointer, and on its headless output.
e2e(wayland_session wayland ${mock_run} -- ${e2e}/wayland_session.sh x11)
e2e(wayland_session_headless wayland ${mock_run} -- ${e2e}/wayland_session.sh headless)
# Debian's real upowerd over a fake battery (umockdev), not the mock.
e2e(real_upowerd dbus ${e2e}/real_upowerd.sh)
# The tray on the panels people run, each a real desktop inside Xvfb: its icon, the menu the
# panel draws, the left click; for two of them the panel starts after the program. Then the
# places stored are where the window managers put the windows.
foreach(desktop xfce lxqt gnome sway plasma)
  e2e(desktop_${desktop} desktop ${e2e}/tray_on_desktop.sh ${desktop})
endforeach()
foreach(desktop xfce sway)
  e2e(desktop_${desktop}_panel_late desktop ${e2e}/tray_on_desktop.sh ${desktop} --panel-late)
endforeach()
foreach(desktop gnome plasma lxqt sway)
  e2e(places_kept_${desktop} desktop ${e2e}/places_kept.sh ${desktop})
endforeach()
