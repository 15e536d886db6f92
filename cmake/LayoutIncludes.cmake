# Fails the configure step when an include in src/ crosses the layout: only
# the desktop program (src/desktop) knows the main window, its start-up and
# every window; a window reaches another area's window, and a shared piece in
# src/widgets any area's window, not at all: they meet through the small
# interfaces in src/widgets. Forms (.ui) count with their custom widgets.
function(parlex_check_layout src_dir)
  file(GLOB_RECURSE files RELATIVE ${src_dir} ${src_dir}/*.h ${src_dir}/*.cpp ${src_dir}/*.ui)
  foreach(file IN LISTS files)
    string(REGEX MATCH "^[^/]+" area "${file}")
    file(STRINGS ${src_dir}/${file} lines REGEX "#include \"[^\"]+/|<header>[^<]+/")
    foreach(line IN LISTS lines)
      string(REGEX MATCH "(#include \"|<header>)([^\"<]+)" found "${line}")
      set(included "${CMAKE_MATCH_2}")
      string(REGEX MATCH "^[^/]+" included_area "${included}")
      get_filename_component(name "${included}" NAME)
      if(area STREQUAL "desktop")
        continue()
      elseif(included_area STREQUAL "desktop")
        message(FATAL_ERROR "src/${file} includes ${included}: only src/desktop may know "
                            "the desktop program; meet through an interface in src/widgets")
      elseif(name MATCHES "^frm" AND NOT included_area STREQUAL area
             AND NOT included_area STREQUAL "widgets")
        message(FATAL_ERROR "src/${file} includes ${included}: a window of another area; "
                            "meet through an interface in src/widgets")
      endif()
    endforeach()
  endforeach()
endfunction()
