# Each folder of src/ includes only from folders below it; the Qt-free ones include no Qt.
find_package(Python3 COMPONENTS Interpreter)
if(Python3_Interpreter_FOUND)
  orvane_test(layering
    COMMAND Python3::Interpreter ${CMAKE_CURRENT_SOURCE_DIR}/layering_check.py ${PROJECT_SOURCE_DIR}/src)
endif()
