# The library's layers: the one place that says which sources and headers sit in which layer.
#
# Families keep their folders, but layers cut across them. Code may include only headers of its own
# layer and of the layers beneath; cmake/orv-check-layers.cmake enforces that on every build.
#
# Each layer lists units. A unit names files by their place under core/orvutil/, with public
# headers named without their "include/orvutil/" prefix and, mostly, without an extension:
#   "threads/locks"  threads/locks.cpp and include/orvutil/threads/locks.h
#   "com/"           everything in com/ and include/orvutil/com/ not named more exactly elsewhere
#   "com"            the family header include/orvutil/com.h
#   "com/object.cpp" that one file (a unit with its extension names only the file itself)
# The longest matching unit decides a file's layer. A file that no unit names fails the check:
# place a new file by adding its family folder or the file itself here.

set(ORV_LAYER_NAMES ground foundation objects runtime hosting work data packages dll)

# 0: locks and the global section table, pools, and the vector the pool keeps its blocks in.
set(ORV_LAYER_0
  export version
  threads/locks threads/once
  foundation/allocator foundation/vector foundation/vectorstorage foundation/precondition
  foundation/pool foundation/static_mem_alloc
  detail/never_destroyed)

# 1: containers, hashing, tstring, string and path utilities, atoms.
set(ORV_LAYER_1
  foundation/ foundation
  detail/path_chars detail/growing_text detail/long_paths)

# 2: the object model, object listeners, structured exceptions.
set(ORV_LAYER_2
  com/object com/listeners com/listener_registry
  diag/ diag)

# 3: modules and start-up, files and temporary files, the registry.
# (The object bases' default type information comes from their module: com/object.cpp.)
set(ORV_LAYER_3
  com/
  com/object.cpp
  system/ system)

# 4: factories and plug-ins, windows and the message loop.
set(ORV_LAYER_4
  com/factory com/plugins com/plugin_record com/com_modules com
  ui/ ui)

# 5: main-thread dispatch, thread pools and work items, timers and idle.
set(ORV_LAYER_5
  threads/ threads
  detail/dispatch)

# 6: data blocks and persistence, values and dictionaries, trees, the log, services.
set(ORV_LAYER_6
  data/ data
  values/ values
  tree/ tree
  diag/log com/services com/services_collection com/services_dump com/services_global com/services_table)

# 7: packages.
set(ORV_LAYER_7
  package/ package)

# 8: the DLL: entry points, the library's module and its registrations; the all-families header.
set(ORV_LAYER_8
  dll/ orvutil)

# orv_layer_unit(<file> <root> <out>): the unit name of `file` (absolute, under `root`), and in
# <out>WithExtension the same with its extension.
function(orv_layer_unit file root out)
  file(RELATIVE_PATH unit "${root}" "${file}")
  string(REGEX REPLACE "^include/orvutil/" "" unit "${unit}")
  set(${out}WithExtension "${unit}" PARENT_SCOPE)
  string(REGEX REPLACE "\\.[^./]+$" "" unit "${unit}")
  set(${out} "${unit}" PARENT_SCOPE)
endfunction()

# orv_layer_of(<file> <root> <out>): the layer number of `file`, or -1 when no unit names it.
function(orv_layer_of file root out)
  orv_layer_unit("${file}" "${root}" unit)
  set(best -1)
  set(bestLength -1)
  list(LENGTH ORV_LAYER_NAMES layerCount)
  math(EXPR lastLayer "${layerCount} - 1")
  foreach(layer RANGE ${lastLayer})
    foreach(entry IN LISTS ORV_LAYER_${layer})
      string(LENGTH "${entry}" length)
      if(entry MATCHES "/$")
        string(FIND "${unit}" "${entry}" at)
        set(matches FALSE)
        if(at EQUAL 0)
          set(matches TRUE)
        endif()
      elseif(unit STREQUAL entry OR unitWithExtension STREQUAL entry)
        set(matches TRUE)
      else()
        set(matches FALSE)
      endif()
      if(matches AND length GREATER bestLength)
        set(best ${layer})
        set(bestLength ${length})
      endif()
    endforeach()
  endforeach()
  set(${out} ${best} PARENT_SCOPE)
endfunction()

# orv_layer_files(<root> <out>): every source and header of the library under `root` (in a build,
# looked for again before each build, so that new files find their layers).
function(orv_layer_files root out)
  set(again CONFIGURE_DEPENDS)
  if(CMAKE_SCRIPT_MODE_FILE)
    set(again "")
  endif()
  file(GLOB_RECURSE files ${again} LIST_DIRECTORIES false
    "${root}/*.h" "${root}/*.cpp" "${root}/*.rc")
  list(SORT files)
  set(${out} ${files} PARENT_SCOPE)
endfunction()
