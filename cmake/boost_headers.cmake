# Boost is used for its header-only parts. A cross build finds no Boost for its target, yet
# the host's headers serve it; they are offered through a folder of their own, since adding
# the host's /usr/include would put its C library's headers before the target's.
find_package(Boost 1.74 QUIET)
if(NOT Boost_FOUND AND CMAKE_CROSSCOMPILING)
  find_path(ORVANE_HOST_BOOST_DIR boost/version.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH
            NO_DEFAULT_PATH)
  if(ORVANE_HOST_BOOST_DIR)
    set(_boost_view ${CMAKE_BINARY_DIR}/host-boost)
    file(MAKE_DIRECTORY ${_boost_view})
    file(CREATE_LINK ${ORVANE_HOST_BOOST_DIR}/boost ${_boost_view}/boost SYMBOLIC)
    add_library(Boost::headers INTERFACE IMPORTED)
    set_target_properties(Boost::headers PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${_boost_view})
    set(Boost_FOUND TRUE)
  endif()
endif()
if(NOT Boost_FOUND)
  message(FATAL_ERROR "Boost's headers (1.74 or later) are missing: install libboost-dev")
endif()
