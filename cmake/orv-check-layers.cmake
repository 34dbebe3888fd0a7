# Include check of the library's layers, run as a script:
#   cmake -DORV_ROOT=<core/orvutil> [-DORV_LAYER=<n>] [-DORV_STAMP=<file>] -P orv-check-layers.cmake
#
# Every source and header under ORV_ROOT (of layer ORV_LAYER only, when given) may include only
# files of its own layer or of the layers beneath (cmake/orv-layers.cmake), and of private headers
# only those of its own folder and the shared ones in detail/. An include is looked up
# beside the including file, then under ORV_ROOT/include and ORV_ROOT; includes found in neither
# (system and third-party headers) are not the library's and are not checked. Fails, listing every
# wrong-way include, every reach into another family's private headers and every file no layer
# names; touches ORV_STAMP when all is well.
cmake_minimum_required(VERSION 3.20)
include("${CMAKE_CURRENT_LIST_DIR}/orv-layers.cmake")

if(NOT ORV_ROOT OR NOT IS_DIRECTORY "${ORV_ROOT}")
  message(FATAL_ERROR "orv-check-layers: ORV_ROOT must name the library's source folder")
endif()
get_filename_component(root "${ORV_ROOT}" ABSOLUTE)

# The top folder of a library file: its family folder, "detail" or "include".
function(orv_top_folder file out)
  file(RELATIVE_PATH relative "${root}" "${file}")
  string(REGEX REPLACE "/.*$" "" top "${relative}")
  set(${out} "${top}" PARENT_SCOPE)
endfunction()

# The library file that `name`, included from `file`, resolves to; empty when it is not one.
function(orv_resolve_include file name out)
  get_filename_component(dir "${file}" DIRECTORY)
  set(found "")
  foreach(base "${dir}" "${root}/include" "${root}")
    if(NOT found AND EXISTS "${base}/${name}" AND NOT IS_DIRECTORY "${base}/${name}")
      get_filename_component(found "${base}/${name}" ABSOLUTE)
    endif()
  endforeach()
  string(FIND "${found}" "${root}/" under)
  if(NOT under EQUAL 0)
    set(found "")
  endif()
  set(${out} "${found}" PARENT_SCOPE)
endfunction()

orv_layer_files("${root}" files)
set(problems "")
foreach(file IN LISTS files)
  orv_layer_of("${file}" "${root}" layer)
  file(RELATIVE_PATH shown "${root}" "${file}")
  if(layer EQUAL -1)
    string(APPEND problems "\n  ${shown}: in no layer (add it or its folder to cmake/orv-layers.cmake)")
    continue()
  endif()
  if(DEFINED ORV_LAYER AND NOT ORV_LAYER STREQUAL "" AND NOT layer EQUAL ORV_LAYER)
    continue()
  endif()
  list(GET ORV_LAYER_NAMES ${layer} layerName)
  file(STRINGS "${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"][^>\"]+[>\"]")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[<\"]([^>\"]+)[>\"].*$" "\\1" name "${line}")
    orv_resolve_include("${file}" "${name}" target)
    if(NOT target)
      continue()
    endif()
    orv_top_folder("${file}" fromFolder)
    orv_top_folder("${target}" toFolder)
    if(NOT toFolder STREQUAL "include" AND NOT toFolder STREQUAL "detail" AND NOT toFolder STREQUAL fromFolder)
      string(APPEND problems "\n  ${shown} includes \"${name}\", a private header of ${toFolder}/ (share it from detail/)")
    endif()
    orv_layer_of("${target}" "${root}" targetLayer)
    if(targetLayer GREATER layer)
      list(GET ORV_LAYER_NAMES ${targetLayer} targetName)
      string(APPEND problems
        "\n  ${shown} (layer ${layer} ${layerName}) includes \"${name}\" (layer ${targetLayer} ${targetName})")
    endif()
  endforeach()
endforeach()

if(problems)
  message(FATAL_ERROR "Includes against the layering:${problems}")
endif()
if(ORV_STAMP)
  file(TOUCH "${ORV_STAMP}")
endif()
