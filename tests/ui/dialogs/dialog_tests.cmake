# The Control Center, wizard and About box windows under Qt's offscreen platform.
add_executable(dialog_window_tests ui/dialogs/test_dialog_windows.cpp)
set_target_properties(dialog_window_tests PROPERTIES AUTOMOC ON)
target_link_libraries(dialog_window_tests PRIVATE orvane_ui orvane_linux orvane_fakes Qt6::Test)
target_compile_definitions(dialog_window_tests PRIVATE
  ORVANE_TEST_VERSION="${PROJECT_VERSION}"
  ORVANE_TEST_EMAIL="${ORVANE_MAKER_EMAIL}"
  ORVANE_TEST_WEB="${ORVANE_MAKER_WEB}")
orvane_test(dialogs.windows COMMAND dialog_window_tests OFFSCREEN LABELS ui TIMEOUT 120)
