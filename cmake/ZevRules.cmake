# The program's window-free rules: byte-level logic that needs no window (framing, frame
# building and decoding, reply parsing, number rules, the files' formats, the command
# line). Each folder names its own at the top of its CMakeLists.txt; they feed the
# program's rules library (zevrules, made by zev_rules_library once every folder is read),
# the native sanitizer build and its fuzz targets (tests/native); their unit tests
# (tests/pure) run natively and, in the in-process test program, under Wine against the
# program's own build.
#
# The native build reads the folders with ZEV_RULES_ONLY set: each folder's CMakeLists.txt
# names its window-free files first and reads no further then:
#   zev_rules(ReceiveFraming.cpp ...)
#   if(ZEV_RULES_ONLY)
#     return()
#   endif()

# The program's folders in the order they are built. A folder that is missing fails the
# configure.
set(ZEV_FOLDERS framework lang kora link log ops params monitor unattended app sim)

# zev_rules(SOURCE...): the calling folder's window-free rules, for the program's rules
# library and the native build; the folder holds their headers.
function(zev_rules)
  zev_window_free(ZEV_RULES ${ARGN})
endfunction()

# zev_native_parts(SOURCE...): window-free code of a library the folder builds itself (the
# framework, KORA.DLL, the simulator), which the native build compiles and tests as well.
function(zev_native_parts)
  zev_window_free(ZEV_NATIVE_PARTS ${ARGN})
endfunction()

# zev_rules_tests(SOURCE...): unit tests of the rules, run natively and under Wine.
# zev_native_tests(SOURCE...): unit tests of the native parts, run natively only.
function(zev_rules_tests)
  zev_window_free(ZEV_RULES_TESTS ${ARGN})
endfunction()
function(zev_native_tests)
  zev_window_free(ZEV_NATIVE_TESTS ${ARGN})
endfunction()

# zev_window_free(LIST SOURCE...): the sources, under the calling folder, go to the global
# property LIST, and the folders that hold them to LIST_INCLUDE_DIRS.
function(zev_window_free list)
  foreach(source ${ARGN})
    set(path ${CMAKE_CURRENT_SOURCE_DIR}/${source})
    if(NOT EXISTS ${path})
      message(FATAL_ERROR "${path}: listed as window-free, but there is no such file")
    endif()
    get_filename_component(folder ${path} DIRECTORY)
    set_property(GLOBAL APPEND PROPERTY ${list} ${path})
    set_property(GLOBAL APPEND PROPERTY ${list}_INCLUDE_DIRS ${folder})
  endforeach()
endfunction()

# zev_window_free_list(OUT LIST): what the folders gave to LIST (see zev_window_free).
function(zev_window_free_list out list)
  get_property(paths GLOBAL PROPERTY ${list})
  list(REMOVE_DUPLICATES paths)
  set(${out} ${paths} PARENT_SCOPE)
endfunction()

# zev_rules_library(TARGET): the static library of every folder's rules, which the window
# code uses; whoever links it sees the rules' headers.
function(zev_rules_library target)
  zev_window_free_list(sources ZEV_RULES)
  zev_window_free_list(folders ZEV_RULES_INCLUDE_DIRS)
  add_library(${target} STATIC ${sources})
  target_include_directories(${target} PUBLIC ${folders})
endfunction()
