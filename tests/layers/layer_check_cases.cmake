# Runs the layers' include check on small library trees, one per case, and compares its verdict
# with the expected one:
#   cmake -DORV_CHECKER=<orv-check-layers.cmake> -DORV_WORK=<scratch folder> -P layer_check_cases.cmake
#
# Each case is one file that includes one other; the included file is created when it lies in the
# library. Expected is "ok" or a fragment of the check's complaint.
cmake_minimum_required(VERSION 3.20)

set(cases
  # including file | included file, created | include as written | expected
  "foundation/text.cpp|include/orvutil/threads/mainthread.h|orvutil/threads/mainthread.h|foundation/text.cpp (layer 1 foundation) includes \"orvutil/threads/mainthread.h\" (layer 5 work)"
  "threads/pool.cpp|include/orvutil/foundation/vector.h|orvutil/foundation/vector.h|ok"
  "threads/locks.cpp|include/orvutil/foundation/strings.h|orvutil/foundation/strings.h|threads/locks.cpp (layer 0 ground) includes"
  "include/orvutil/foundation/pool.h|include/orvutil/com/object.h|orvutil/com/object.h|include/orvutil/foundation/pool.h (layer 0 ground) includes \"orvutil/com/object.h\" (layer 2 objects)"
  "system/file.cpp|detail/dispatch.h|../detail/dispatch.h|(layer 3 runtime) includes \"../detail/dispatch.h\" (layer 5 work)"
  "ui/window.cpp|ui/class_name.h|class_name.h|ok"
  "dll/main.cpp|include/orvutil/package.h|orvutil/package.h|ok"
  "data/block.cpp|include/orvutil/values/value.h|orvutil/values/value.h|ok"
  "data/block.cpp|include/orvutil/package/node.h|orvutil/package/node.h|(layer 6 data) includes \"orvutil/package/node.h\" (layer 7 packages)"
  "com/object.cpp|include/orvutil/com/module.h|orvutil/com/module.h|ok"
  "include/orvutil/com/object.h|include/orvutil/com/module.h|orvutil/com/module.h|(layer 2 objects) includes \"orvutil/com/module.h\" (layer 3 runtime)"
  "include/orvutil/diag.h|include/orvutil/ui.h|orvutil/ui.h|include/orvutil/diag.h (layer 2 objects) includes \"orvutil/ui.h\" (layer 4 hosting)"
  "misc/tool.cpp|include/orvutil/export.h|orvutil/export.h|misc/tool.cpp: in no layer"
  "foundation/text.cpp|-|windows.h|ok"
  "dll/main.cpp|threads/dispatch.h|../threads/dispatch.h|dll/main.cpp includes \"../threads/dispatch.h\", a private header of threads/"
  "system/names.cpp|foundation/path_chars.h|../foundation/path_chars.h|a private header of foundation/"
  "include/orvutil/system.h|system/detail.h|../../system/detail.h|a private header of system/"
  "system/names.cpp|detail/path_chars.h|../detail/path_chars.h|ok")

set(failures "")
set(index 0)
foreach(case IN LISTS cases)
  string(REPLACE "|" ";" fields "${case}")
  list(GET fields 0 includer)
  list(GET fields 1 included)
  list(GET fields 2 written)
  list(GET fields 3 expected)
  set(root "${ORV_WORK}/case-${index}")
  math(EXPR index "${index} + 1")
  file(REMOVE_RECURSE "${root}")
  file(WRITE "${root}/${includer}" "#include \"${written}\"\n")
  if(NOT included STREQUAL "-")
    file(WRITE "${root}/${included}" "#pragma once\n")
  endif()
  execute_process(COMMAND "${CMAKE_COMMAND}" -DORV_ROOT=${root} -P "${ORV_CHECKER}"
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(expected STREQUAL "ok")
    if(NOT result EQUAL 0)
      string(APPEND failures "\n${includer} -> ${written}: expected to pass, got:\n${output}")
    endif()
  else()
    string(FIND "${output}" "${expected}" at)
    if(result EQUAL 0 OR at EQUAL -1)
      string(APPEND failures "\n${includer} -> ${written}: expected \"${expected}\", got (${result}):\n${output}")
    endif()
  endif()
endforeach()

if(failures)
  message(FATAL_ERROR "Layer check cases failed:${failures}")
endif()
message(STATUS "${index} layer check cases passed")
