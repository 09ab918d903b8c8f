# Widget tests: real windows under Qt's offscreen platform, with scripted message boxes.
function(widget_tests target source)
  add_executable(${target} ui/${source})
  set_target_properties(${target} PROPERTIES AUTOMOC ON)
  target_link_libraries(${target} PRIVATE orvane_ui orvane_linux orvane_fakes Qt6::Test)
endfunction()
widget_tests(ui_tests shell/test_app_host.cpp)
widget_tests(tray_item_tests desktop/test_tray_item.cpp)
orvane_test(ui.app_host COMMAND ui_tests OFFSCREEN LABELS ui TIMEOUT 120)
# The tray item and its exported menu as a host reads them, over a private session bus.
orvane_test(ui.tray_item OFFSCREEN LABELS ui dbus TIMEOUT 120
  COMMAND ${mock_run} --no-upower -- $<TARGET_FILE:tray_item_tests>)

# The real program as a separate process, mostly against a mocked UPower on a private bus
# (tests/run-with-upower-mock.sh, --x11: under Xvfb), driven as a person would.
set(orvane $<TARGET_FILE:orvane>)
set(e2e ${CMAKE_CURRENT_SOURCE_DIR}/e2e)
orvane_test(e2e.sigterm_saves_settings LABELS e2e dbus TIMEOUT 90
  COMMAND ${mock_run} --battery 85:7530 -- ${e2e}/sigterm_saves_settings.sh ${orvane})
orvane_test(e2e.discharge_learns_and_alarms LABELS e2e dbus x11 TIMEOUT 120
  COMMAND ${mock_run} --x11 --battery 85:7530 -- ${e2e}/discharge_learns_and_alarms.sh ${orvane})
orvane_test(e2e.tray_menu_compact LABELS e2e x11 TIMEOUT 90
  COMMAND ${mock_run} --x11 --battery 85:7530 -- ${e2e}/tray_menu_compact.sh ${orvane})
orvane_test(e2e.first_run_keyboard LABELS e2e x11 TIMEOUT 90
  COMMAND ${mock_run} --x11 --battery 85:0 -- ${e2e}/first_run_keyboard.sh ${orvane})
# The compact panel dragged and exited by mouse, with and without a window manager.
orvane_test(e2e.compact_drag_and_exit LABELS e2e x11 TIMEOUT 90
  COMMAND ${mock_run} --x11 -- ${e2e}/compact_drag_and_exit.sh ${orvane})
orvane_test(e2e.compact_exit_with_window_manager LABELS e2e x11 TIMEOUT 90
  COMMAND ${mock_run} --x11 -- ${e2e}/compact_drag_and_exit.sh --wm ${orvane})
# Ended with no shutdown of its own: every window setting was stored when it changed.
foreach(how kill x-server)
  orvane_test(e2e.abrupt_end_${how} LABELS e2e x11 TIMEOUT 90
    COMMAND ${mock_run} --x11 -- ${e2e}/abrupt_end_keeps_settings.sh --${how} ${orvane})
endforeach()

# The tray on the panels people run, each a real desktop inside Xvfb: its icon, the menu the
# panel draws, the left click; for two of them the panel starts after the program. Then the
# places stored are where the window managers put the windows. Two desktops at a time at most,
# beside the rest of the suite, and never GNOME Shell and Plasma together: each takes a core of
# its own while it starts.
function(desktop_test name)
  set(lock desktop_panel)
  if(name MATCHES "gnome|plasma")
    set(lock desktop_shell)
  endif()
  orvane_test(e2e.${name} LABELS e2e desktop TIMEOUT 300 PROPERTIES RESOURCE_LOCK ${lock}
    COMMAND ${ARGN} ${orvane})
endfunction()
foreach(desktop xfce lxqt gnome sway plasma)
  desktop_test(desktop_${desktop} ${e2e}/tray_on_desktop.sh ${desktop})
endforeach()
foreach(desktop xfce sway)
  desktop_test(desktop_${desktop}_panel_late ${e2e}/tray_on_desktop.sh ${desktop} --panel-late)
endforeach()
foreach(desktop gnome plasma lxqt sway)
  desktop_test(places_kept_${desktop} ${e2e}/places_kept.sh ${desktop})
endforeach()

# Under openbox, or a bare X server with an XEmbed tray (trayer).
function(x11_test name)
  orvane_test(e2e.${name} LABELS e2e x11 TIMEOUT 90 ENVIRONMENT "ORVANE_MAKER_WEB=${ORVANE_MAKER_WEB}"
    COMMAND ${mock_run} --x11 ${ARGN} ${orvane})
endfunction()
# Clicks on an XEmbed icon count on release.
x11_test(tray_clicks_on_release --battery 85:7530 -- ${e2e}/tray_clicks_xembed.sh)
# Always On Top stored and the main window hidden at start: Full shows it at its place.
x11_test(on_top_from_compact -- ${e2e}/on_top_hidden_start.sh)
x11_test(on_top_from_minimize -- ${e2e}/on_top_hidden_start.sh --minimize)
# The desktop's handler for the web page cannot start.
x11_test(link_handler_fails -- ${e2e}/link_handler_fails.sh)
# An XEmbed tray that comes after the program and goes again.
x11_test(xembed_tray_comes_and_goes -- ${e2e}/xembed_tray_comes_and_goes.sh)
# The menu and About's links by keyboard, and About's links as a screen reader finds them.
x11_test(keyboard_menu_and_links -- ${e2e}/keyboard_menu_and_links.sh)
# The start-with-the-desktop item as an ordinary user, through the user's own autostart entry.
x11_test(autostart_as_user -- ${e2e}/autostart_as_user.sh)
# The low-battery message in front of an on-top window of ours, under a window manager.
foreach(window main compact)
  set(flag "")
  if(window STREQUAL compact)
    set(flag --compact)
  endif()
  orvane_test(e2e.alarm_box_in_front_of_${window} LABELS e2e dbus x11 TIMEOUT 120
    COMMAND ${mock_run} --x11 --battery 85:7530 -- ${e2e}/alarm_box_in_front.sh ${flag} ${orvane})
endforeach()

# A Wayland session: weston with XWayland, driven by a real pointer, and on its headless output.
orvane_test(e2e.wayland_session LABELS e2e wayland TIMEOUT 120
  COMMAND ${mock_run} -- ${e2e}/wayland_session.sh ${orvane})
orvane_test(e2e.wayland_session_headless LABELS e2e wayland TIMEOUT 120
  COMMAND ${mock_run} -- ${e2e}/wayland_session.sh ${orvane} headless)
# Debian's real upowerd over a fake battery (umockdev), not the mock.
orvane_test(e2e.real_upowerd LABELS e2e dbus TIMEOUT 90 COMMAND ${e2e}/real_upowerd.sh ${orvane})
