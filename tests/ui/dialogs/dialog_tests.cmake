# The Control Center, wizard and About box windows under Qt's offscreen platform.
widget_tests(dialog_window_tests dialogs/test_dialog_windows.cpp)
target_compile_definitions(dialog_window_tests PRIVATE
  ORVANE_TEST_EMAIL="${ORVANE_MAKER_EMAIL}" ORVANE_TEST_WEB="${ORVANE_MAKER_WEB}")
orvane_test(dialogs.windows COMMAND dialog_window_tests OFFSCREEN LABELS ui TIMEOUT 120)
