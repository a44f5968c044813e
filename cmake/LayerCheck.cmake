# Checks that no unit includes a layer above its own.
#   cmake -DROOT=<source folder> -DLAYERS=<rules> -P LayerCheck.cmake
# ROOT holds one folder a layer (toolkit/qt is a layer of its own, below
# toolkit's folder). LAYERS lists the layers separated by "|", each as
# "<folder>:<the folders it may include, comma-separated>". An include
# '#include "<folder>/..."' of a layer not in the including layer's list
# fails the check with the file, its line and the include; includes of
# folders that are not layers (system headers, generated files) are not
# looked at.
cmake_minimum_required(VERSION 3.25)
if(NOT ROOT OR NOT LAYERS)
  message(FATAL_ERROR "LayerCheck.cmake: ROOT and LAYERS are needed")
endif()

string(REPLACE "|" ";" rules "${LAYERS}")
set(names)
foreach(rule IN LISTS rules)
  string(REGEX REPLACE ":.*" "" name "${rule}")
  list(APPEND names ${name})
endforeach()

set(faults)
foreach(rule IN LISTS rules)
  string(REGEX REPLACE ":.*" "" name "${rule}")
  string(REGEX REPLACE "^[^:]*:" "" allowed "${rule}")
  string(REPLACE "," ";" allowed "${allowed}")
  list(APPEND allowed ${name})
  file(GLOB files "${ROOT}/${name}/*.h" "${ROOT}/${name}/*.cpp")
  foreach(file IN LISTS files)
    file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "^[^\"]*\"([^\"]*)\".*" "\\1" path "${line}")
      # The layer of the included file: toolkit/qt before toolkit.
      set(layer "")
      if(path MATCHES "^toolkit/qt/")
        set(layer "toolkit/qt")
      elseif(path MATCHES "^([^/]+)/")
        set(layer "${CMAKE_MATCH_1}")
      endif()
      if(layer AND layer IN_LIST names AND NOT layer IN_LIST allowed)
        file(RELATIVE_PATH shown "${ROOT}" "${file}")
        list(APPEND faults "${shown} (${name}) includes the higher layer ${layer}: ${line}")
      endif()
    endforeach()
  endforeach()
endforeach()

if(faults)
  list(JOIN faults "\n  " text)
  message(FATAL_ERROR "Layers must point down:\n  ${text}")
endif()
