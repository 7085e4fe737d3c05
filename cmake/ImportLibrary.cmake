# The import library of LmProfInst.dll for callers. On 32-bit Windows a caller's stdcall
# prototype links as _Name@n, while the DLL exports the plain name: dlltool --kill-at binds the
# one to the other. DllMain is the loader's, not a caller's, so it is left out.
function(lmprof_import_library def output)
  file(STRINGS ${def} lines)
  set(content "LIBRARY LmProfInst.dll\nEXPORTS\n")
  foreach(line ${lines})
    if(line MATCHES "^[ \t]*([A-Za-z0-9_]+)[ \t]*=[ \t]*([A-Za-z0-9_]+@[0-9]+)")
      if(NOT CMAKE_MATCH_1 STREQUAL "DllMain")
        if(CMAKE_SIZEOF_VOID_P EQUAL 4)
          string(APPEND content "    ${CMAKE_MATCH_2}\n")
        else()
          string(APPEND content "    ${CMAKE_MATCH_1}\n")
        endif()
      endif()
    endif()
  endforeach()
  set(callers_def ${CMAKE_BINARY_DIR}/LmProfInst.callers.def)
  file(WRITE ${callers_def} "${content}")
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(kill_at --kill-at)
  endif()
  add_custom_command(OUTPUT ${output}
    COMMAND ${LMPROF_DLLTOOL} --input-def ${callers_def} --dllname LmProfInst.dll ${kill_at}
            --output-lib ${output}
    DEPENDS ${def} VERBATIM)
  add_custom_target(LmProfInst_implib ALL DEPENDS ${output})
endfunction()
