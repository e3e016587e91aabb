# Delay-import libraries for 64-bit MinGW builds: a DLL linked through one is loaded
# when one of its functions is first called, not when the process starts, so
# that the entry point can restrict the DLL search first. MSVC has this built
# in (/DELAYLOAD).
#
# launcher_delay_import(<variable> <dll base name>) makes lib<name>-delay.a in
# the build folder from the toolchain's import library and sets <variable> to
# its path.
function(launcher_delay_import variable name)
  get_filename_component(compiler "${CMAKE_CXX_COMPILER}" NAME)
  string(REGEX REPLACE "g\\+\\+.*$" "" prefix "${compiler}")
  find_program(LAUNCHER_DLLTOOL NAMES ${prefix}dlltool dlltool REQUIRED)
  find_program(LAUNCHER_NM NAMES ${prefix}nm nm REQUIRED)
  find_library(import_library_${name} NAMES ${name} REQUIRED)
  set(import_library "${import_library_${name}}")
  execute_process(COMMAND "${LAUNCHER_NM}" -g "${import_library}" OUTPUT_VARIABLE symbols
                  RESULT_VARIABLE failed ERROR_QUIET)
  if(failed)
    message(FATAL_ERROR "cannot list ${import_library}")
  endif()
  string(REGEX MATCHALL "I __imp_[^\r\n]+" entries "${symbols}")
  set(definition "LIBRARY ${name}.dll\nEXPORTS\n")
  foreach(entry IN LISTS entries)
    string(REGEX REPLACE "^I __imp_" "" export "${entry}")
    string(APPEND definition "${export}\n")
  endforeach()
  set(def "${CMAKE_BINARY_DIR}/delay/${name}.def")
  set(library "${CMAKE_BINARY_DIR}/delay/lib${name}-delay.a")
  file(WRITE "${def}" "${definition}")
  execute_process(COMMAND "${LAUNCHER_DLLTOOL}" --input-def "${def}" --output-delaylib "${library}"
                          --dllname ${name}.dll
                  RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "dlltool could not make ${library}")
  endif()
  set(${variable} "${library}" PARENT_SCOPE)
endfunction()
